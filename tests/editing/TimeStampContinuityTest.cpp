#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/platform/File.h"
#include "support/Events.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

namespace fs = std::filesystem;
using commonobjects::platform::RegistryValue;

// A Windows drive in a temporary folder holding the report folder "Tavmir", and a console
// whose pass tree names "C:\Mixes\Reel 1" as the last revision.
class TimeStampContinuityTest : public testing::Test {
 protected:
  void SetUp() override {
    if (const char* root = std::getenv("COMMONOBJECTS_ROOT")) savedRoot_ = root;
    setenv("COMMONOBJECTS_ROOT", drive_.Path().c_str(), 1);
    fs::create_directory(drive_.Path() / "Tavmir");
    console_.Store().SetValue(HKEY_CURRENT_USER, "SOFTWARE\\QRXSettings\\QENSERVER\\Mix Pass Tree",
                              "Last Revision Path", RegistryValue::String("C:\\Mixes\\Reel 1"));
  }
  void TearDown() override {
    savedRoot_ ? setenv("COMMONOBJECTS_ROOT", savedRoot_->c_str(), 1) : unsetenv("COMMONOBJECTS_ROOT");
  }

  fs::path ReportPath() const { return drive_.Path() / "Tavmir" / "tcerr.txt"; }
  std::string Report() const {
    std::string bytes;
    commonobjects::platform::ReadWholeFile(ReportPath().string(), &bytes);
    return bytes;
  }

  // Events at the given times; event i is on path 10 + i, Proc i % 7, Control i % 3.
  static CAutomationEventArray EventsAt(const std::vector<int32_t>& times) {
    CAutomationEventArray array;
    for (int32_t i = 0; i < static_cast<int32_t>(times.size()); ++i) {
      array.Add(testsupport::MakeEvent(10 + i, i % 7, i % 3, times[size_t(i)], 0));
    }
    return array;
  }
  static std::vector<int32_t> Times(const CAutomationEventArray& array) {
    std::vector<int32_t> times;
    for (const CAutomationEvent& e : array) times.push_back(e.Time);
    return times;
  }

  testsupport::TempFolder drive_{"co-tcerr"};
  testsupport::TestConsole console_;
  std::optional<std::string> savedRoot_;
};

TEST_F(TimeStampContinuityTest, ReportsEveryBackwardStepInWindowsLinesThenSorts) {
  CAutomationEventArray array = EventsAt({5, 10, 3, 4, 12});
  EXPECT_TRUE(array.MakeTimeStampsContinuous(0));
  EXPECT_EQ(Report(),
            "C:\\Mixes\\Reel 1\r\n"
            "Number of Events:5\r\n"
            "Error on Event:2 * Last TC:10 * Current TC:3 * PPC: 11 1 1\r\n"
            "Error on Event:3 * Last TC:10 * Current TC:4 * PPC: 12 2 2\r\n");
  EXPECT_EQ(Times(array), (std::vector<int32_t>{3, 4, 5, 10, 12}));

  // A later problem replaces the report; without the registry value its first line is empty.
  testsupport::TestConsole withoutPassTree;
  CAutomationEventArray second = EventsAt({5, -3});
  EXPECT_TRUE(second.MakeTimeStampsContinuous(0));
  EXPECT_EQ(Report(), "\r\nNumber of Events:2\r\nError on Event:1 * Last TC:5 * Current TC:-3 * PPC: 10 0 0\r\n");
}

TEST_F(TimeStampContinuityTest, OrderedArraysAreLeftAloneWithoutReport) {
  // Equal times are in order; the first event is never compared, even when negative.
  for (const std::vector<int32_t>& times : {std::vector<int32_t>{}, {0, 10, 10, 20}, {-5, 0, 7}}) {
    CAutomationEventArray array = EventsAt(times);
    EXPECT_FALSE(array.MakeTimeStampsContinuous(1));
    EXPECT_EQ(Times(array), times);
    EXPECT_FALSE(fs::exists(ReportPath()));
  }
}

TEST_F(TimeStampContinuityTest, RepairsWithoutTheReportFolderAndMergesSameTimeTwins) {
  fs::remove_all(drive_.Path() / "Tavmir");
  CAutomationEventArray array = EventsAt({10, 2, 10});
  array[2] = array[0];
  array[2].Value = 7;
  EXPECT_TRUE(array.MakeTimeStampsContinuous(0));
  EXPECT_FALSE(fs::exists(drive_.Path() / "Tavmir"));
  ASSERT_EQ(array.GetSize(), 2);
  EXPECT_EQ(array[0].Time, 2);
  EXPECT_EQ(array[1].Value, 7);
}

TEST_F(TimeStampContinuityTest, LongReportsHoldEveryLine) {
  std::vector<int32_t> times(40000, 1);  // a report of some megabytes
  times[0] = 1000;
  CAutomationEventArray array = EventsAt(times);
  EXPECT_TRUE(array.MakeTimeStampsContinuous(0));
  const std::string report = Report();
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 2 + 39999);
  EXPECT_TRUE(report.ends_with("\r\nError on Event:39999 * Last TC:1000 * Current TC:1 * PPC: 40008 0 2\r\n"));
}

}  // namespace
