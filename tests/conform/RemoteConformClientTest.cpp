#include "commonobjects/conform/RemoteConformClient.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "commonobjects/settings/RegistryAccess.h"
#include "commonobjects/timecode/TimecodeSettings.h"
#include "support/RemoteClientRecorder.h"
#include "support/TestConsole.h"

namespace {

using commonobjects::platform::RegistryValue;
using testsupport::RemoteClientRecorder;
using testsupport::TestConsole;
using Calls = std::vector<std::string>;

struct Item {
  int32_t start, length, pair;
};

CGrowableArray<CSourceDestItem> Items(std::initializer_list<Item> items) {
  CGrowableArray<CSourceDestItem> list;
  for (const Item& item : items) {
    CSourceDestItem made;
    made.Start = item.start;
    made.Length = item.length;
    made.PairNumber = item.pair;
    list.Add(made);
  }
  return list;
}

void SetUserNumber(TestConsole& console, const char* key, const char* name, uint32_t number) {
  console.Store().SetValue(HKEY_CURRENT_USER, key, name, RegistryValue::Dword(number));
}

void SetAutoConform(TestConsole& console, uint32_t on) {
  SetUserNumber(console, CRemoteConformClient::kReelvaneKey, "AutoConform", on);
}

std::string StoredServerName() {
  CRegistryAccess registry;
  std::string name;
  registry.ReadString(CRemoteConformClient::kReelvaneKey, "ServerName", name, "<none>");
  return name;
}

TEST(RemoteConformClientTest, SendsEachPairedSourceInListOrderThenDestroysItsClient) {
  TestConsole console;
  RemoteClientRecorder recorder;
  ASSERT_TRUE(recorder.IsLoaded()) << recorder.Error();
  SetAutoConform(console, 1);
  console.Set(CRemoteConformClient::kReelvaneKey, "ServerName", RegistryValue::String("picture-1"));
  console.SetNumber(CRemoteConformClient::kFeatureKey, "Trim", 5);
  SetUserNumber(console, CRemoteConformClient::kPreferenceKey, "SampleRatePref", 44100);
  SetUserNumber(console, CTimecodeSettings::kTimecodeKey, CTimecodeSettings::kRateCodeName, 4);
  // Sources out of pair order; pair 2 has no destination; pair 1 has two (the first
  // counts); a negative start is shifted as unsigned.
  const auto sources = Items({{1000, 403, 1}, {400, 800, 0}, {12, 4, 2}, {-4, 8, 3}});
  const auto destinations = Items({{4000, 800, 0}, {8000, 400, 1}, {0, 8, 3}, {9996, 4, 1}});

  testing::internal::CaptureStdout();
  {
    CRemoteConformClient client(sources, destinations);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Set Reelvane Sample Rate 44100Set Reelvane Frame Rate = 4, Drop frames = 1\n");
    EXPECT_EQ(recorder.TakeCalls(), (Calls{"fnCreateXCIProjectClient picture-1 1",
                                           "fnSetSystemSampleRate 1 44100",
                                           "fnSetSystemFrameRate 1 4 1",
                                           "fnInitiateReconform 1",
                                           "fnAddConformEntry 1 -1 250 350 2000 2100",
                                           "fnAddConformEntry 1 -1 100 300 1000 1200",
                                           "fnAddConformEntry 1 -1 1073741823 1073741825 0 2",
                                           "fnDoTheConform 1"}));
    EXPECT_EQ(std::tuple(client.IsConnected(), client.GetClientHandle(), client.GetCreateResult(),
                         client.GetEntriesSent(), client.GetServerName(), client.GetTrimFeature()),
              std::tuple(true, 1, 77, 3, std::string("picture-1"), 0));
  }
  EXPECT_EQ(recorder.TakeCalls(), Calls{"fnDestroyXCIProjectClient 1"});
  EXPECT_EQ(StoredServerName(), "picture-1");
}

TEST(RemoteConformClientTest, WithoutAServerNameTheDefaultIsStoredAndTheFeaturesAreRead) {
  TestConsole console;
  RemoteClientRecorder recorder;
  SetAutoConform(console, 1);
  console.SetNumber(CRemoteConformClient::kFeatureKey, "Trim", 5);
  console.SetNumber(CRemoteConformClient::kFeatureKey, "Edit", 6);

  testing::internal::CaptureStdout();
  CRemoteConformClient client(Items({}), Items({}));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Set Reelvane Sample Rate 48000Set Reelvane Frame Rate = 1, Drop frames = 0\n");
  EXPECT_EQ(recorder.TakeCalls(),
            (Calls{"fnCreateXCIProjectClient localhost 1", "fnSetSystemSampleRate 1 48000",
                   "fnSetSystemFrameRate 1 1 0", "fnInitiateReconform 1"}));
  EXPECT_EQ(StoredServerName(), "localhost");
  EXPECT_EQ(std::tuple(client.GetTrimFeature(), client.GetEditFeature()), std::tuple(5, 6));
}

TEST(RemoteConformClientTest, AutoConformOffNeverLoadsTheLibraryNorTouchesTheServerName) {
  const auto sources = Items({{0, 40, 0}});
  const auto destinations = Items({{400, 40, 0}});
  for (const int32_t autoConform : {-1, 0}) {  // -1: no value stored
    TestConsole console;
    RemoteClientRecorder recorder;
    if (autoConform >= 0) SetAutoConform(console, static_cast<uint32_t>(autoConform));
    testing::internal::CaptureStdout();
    {
      CRemoteConformClient client(sources, destinations);
      EXPECT_FALSE(client.IsConnected()) << autoConform;
      EXPECT_EQ(client.GetClientHandle(), 0) << autoConform;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << autoConform;
    EXPECT_EQ(recorder.TakeCalls(), Calls{}) << autoConform;
    EXPECT_EQ(StoredServerName(), "<none>") << autoConform;
  }
}

TEST(RemoteConformClientTest, EachTimecodeRateCodeGoesAsThePictureSystemsFrameRate) {
  struct Case {
    uint32_t rateCode;
    int32_t code, dropFrame;
  };
  const Case cases[] = {{1, 1, 0}, {2, 2, 0}, {3, 4, 0}, {4, 4, 1}, {5, 3, 0},
                        {6, 3, 0}, {7, 0, 0}, {0, 0, 0}, {8, 0, 0}};
  for (const Case& c : cases) {
    TestConsole console;
    RemoteClientRecorder recorder;
    SetAutoConform(console, 1);
    SetUserNumber(console, CTimecodeSettings::kTimecodeKey, CTimecodeSettings::kRateCodeName, c.rateCode);
    testing::internal::CaptureStdout();
    CRemoteConformClient client(Items({}), Items({}));
    testing::internal::GetCapturedStdout();
    const Calls calls = recorder.TakeCalls();
    ASSERT_GE(calls.size(), 3u) << c.rateCode;
    EXPECT_EQ(calls[2], "fnSetSystemFrameRate 1 " + std::to_string(c.code) + " " + std::to_string(c.dropFrame))
        << c.rateCode;
  }
}

TEST(RemoteConformClientTest, NoConformIsSentWithoutAnEntryOrWithoutAClient) {
  struct Case {
    const char* what;
    bool noClients;
    CGrowableArray<CSourceDestItem> sources, destinations;
    Calls calls;
  };
  const Calls connected{"fnCreateXCIProjectClient localhost 1", "fnSetSystemSampleRate 1 48000",
                        "fnSetSystemFrameRate 1 1 0", "fnInitiateReconform 1"};
  const Case cases[] = {
      {"empty lists", false, Items({}), Items({}), connected},
      {"no source has a destination", false, Items({{0, 40, 0}, {40, 40, 1}}), Items({{0, 40, 5}}), connected},
      {"no client handle", true, Items({{0, 40, 0}}), Items({{400, 40, 0}}),
       {"fnCreateXCIProjectClient localhost 0", "fnSetSystemSampleRate 0 48000", "fnSetSystemFrameRate 0 1 0"}},
  };
  for (const Case& c : cases) {
    TestConsole console;
    RemoteClientRecorder recorder(c.noClients);
    SetAutoConform(console, 1);
    testing::internal::CaptureStdout();
    {
      CRemoteConformClient client(c.sources, c.destinations);
      EXPECT_EQ(client.GetEntriesSent(), 0) << c.what;
    }
    testing::internal::GetCapturedStdout();
    Calls expected = c.calls;
    if (!c.noClients) expected.push_back("fnDestroyXCIProjectClient 1");
    EXPECT_EQ(recorder.TakeCalls(), expected) << c.what;
  }
}

}  // namespace
