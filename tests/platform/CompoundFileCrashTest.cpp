// A save interrupted at any write or sync leaves a file that opens, passes the consistency
// check, and holds either every stream's old content or every stream's new content.
#include <gtest/gtest.h>

#include <algorithm>

#include "commonobjects/platform/CompoundFile.h"
#include "support/CfbBuilder.h"
#include "support/FaultInjectingFile.h"

namespace commonobjects::platform {
namespace {

using testsupport::Bytes;
using testsupport::BorrowedFile;
using testsupport::FaultInjectingFile;
using testsupport::PatternBytes;
using testsupport::StreamContents;

struct Scenario {
  const char* name;
  StreamContents before;
  StreamContents changes;  // streams the save creates or replaces
  bool inPlace = false;    // the save writes them with WriteInPlace, large ones straight to the file
};

StreamContents After(const Scenario& scenario) {
  StreamContents after = scenario.before;
  for (const auto& [name, content] : scenario.changes) after[name] = content;
  return after;
}

StgStatus WriteContent(CompoundStream& stream, const Bytes& content, bool inPlace) {
  if (inPlace) {
    return stream.WriteInPlace(content.size(), [&content](uint8_t* at, uint64_t done, size_t length) {
      std::copy_n(content.begin() + done, length, at);
    });
  }
  uint32_t written = 0;
  return stream.Write(content.data(), static_cast<uint32_t>(content.size()), &written);
}

// Opens a copy of `base` for writing through a fault-injecting file, writes the changes and
// releases; *result receives the bytes as the fault left them.
std::unique_ptr<FaultInjectingFile> Save(const Bytes& base, const Scenario& scenario, FaultInjectingFile::Mode mode,
                                         int k, size_t cut, std::shared_ptr<Bytes>* result) {
  *result = std::make_shared<Bytes>(base);
  auto fault = std::make_unique<FaultInjectingFile>(std::make_unique<MemoryFile>(*result), mode, k, cut);
  std::unique_ptr<CompoundStorage> storage;
  StgStatus status = CompoundStorage::Open(std::make_unique<BorrowedFile>(*fault), 0x12, &storage);
  for (const auto& [name, content] : scenario.changes) {
    std::unique_ptr<CompoundStream> stream;
    if (status.IsOk()) status = storage->CreateStream(name, 0x1012, &stream);
    if (status.IsOk()) status = WriteContent(*stream, content, scenario.inPlace);
  }
  if (status.IsOk()) status = storage->Release();
  if (mode == FaultInjectingFile::Mode::kCount) EXPECT_TRUE(status.IsOk()) << status.message;
  else EXPECT_FALSE(status.IsOk()) << "the injected fault went unreported";
  return fault;
}

// Cut points of one write: nothing, mid-sector, all but the last byte, and each sector
// boundary (in a long write of stream content: the first, middle and last few). The header
// is a single 512-byte sector, written whole or not at all.
std::vector<size_t> CutPoints(uint64_t offset, size_t count) {
  if (offset == 0) return {0};
  std::vector<size_t> cuts = {0, 256, count - 1};
  for (size_t at = 512; at < count; at += 512) {
    if (count <= 8192 || at <= 1024 || at + 1024 >= count || at == count / 1024 * 512) cuts.push_back(at);
  }
  return cuts;
}

// A crash may leave sectors past the FAT's end or a partial last sector: warnings, not
// errors, and only where a fault struck.
void ExpectOldOrNew(const Scenario& scenario, const Bytes& bytes, const std::string& what, bool faulted = true) {
  StreamContents read;
  const StgStatus status = testsupport::ReadCompoundFile(bytes, &read);
  ASSERT_TRUE(status.IsOk()) << what << ": " << status.message;
  EXPECT_TRUE(read == scenario.before || read == After(scenario)) << what << ": a mix of old and new content";
  MemoryFile file(std::make_shared<Bytes>(bytes));
  CompoundFileReport report;
  EXPECT_TRUE(CheckCompoundFile(file, &report)) << what << ": " << testing::PrintToString(report.errors);
  EXPECT_TRUE(faulted || report.warnings.empty()) << what << ": " << testing::PrintToString(report.warnings);
  // The survivor takes the next save.
  std::shared_ptr<Bytes> resaved;
  Save(bytes, scenario, FaultInjectingFile::Mode::kCount, 0, 0, &resaved);
  ASSERT_TRUE(testsupport::ReadCompoundFile(*resaved, &read).IsOk()) << what;
  EXPECT_EQ(read, After(scenario)) << what << ": the next save after the crash";
}

void SweepEveryFault(const Scenario& scenario) {
  const Bytes base = testsupport::BuildCompoundFile(scenario.before);
  std::shared_ptr<Bytes> result;
  const auto counted = Save(base, scenario, FaultInjectingFile::Mode::kCount, 0, 0, &result);
  ASSERT_GT(counted->Writes(), 0);
  ASSERT_EQ(counted->Syncs(), 2) << "a save syncs before and after the header";
  ExpectOldOrNew(scenario, *result, std::string(scenario.name) + ", no fault", false);
  StreamContents read;
  ASSERT_TRUE(testsupport::ReadCompoundFile(*result, &read).IsOk());
  EXPECT_EQ(read, After(scenario));

  for (int k = 1; k <= counted->Writes(); ++k) {
    const auto [offset, count] = counted->WriteLog()[k - 1];
    const std::string what = std::string(scenario.name) + ", write " + std::to_string(k);
    Save(base, scenario, FaultInjectingFile::Mode::kFailWrite, k, 0, &result);
    ExpectOldOrNew(scenario, *result, what + " failing");
    for (size_t cut : CutPoints(offset, count)) {
      Save(base, scenario, FaultInjectingFile::Mode::kCutWrite, k, cut, &result);
      ExpectOldOrNew(scenario, *result, what + " cut at " + std::to_string(cut));
    }
  }
  for (int k = 1; k <= counted->Syncs(); ++k) {
    Save(base, scenario, FaultInjectingFile::Mode::kFailSync, k, 0, &result);
    ExpectOldOrNew(scenario, *result, std::string(scenario.name) + ", sync " + std::to_string(k) + " failing");
  }
}

TEST(CompoundFileCrashTest, AnInterruptedSaveLeavesTheOldOrTheNewFile) {
  const Scenario scenarios[] = {
      {"replace large and small streams, grow one, shrink one, add one",
       {{"Keep", PatternBytes(20000, 1)},
        {"KeepSmall", PatternBytes(100, 2)},
        {"Replace", PatternBytes(30000, 3)},
        {"ReplaceSmall", PatternBytes(200, 4)},
        {"Grow", PatternBytes(1000, 5)},
        {"Shrink", PatternBytes(8000, 6)}},
       {{"Replace", PatternBytes(25000, 13)},
        {"ReplaceSmall", PatternBytes(300, 14)},
        {"Grow", PatternBytes(10000, 15)},
        {"Shrink", PatternBytes(50, 16)},
        {"Added", PatternBytes(3000, 17)}}},
      {"empty the only small stream",
       {{"Large", PatternBytes(5000, 1)}, {"Small", PatternBytes(10, 2)}},
       {{"Small", {}}}},
  };
  for (const Scenario& scenario : scenarios) SweepEveryFault(scenario);
  Scenario inPlace = scenarios[0];
  inPlace.name = "the same, written in place";
  inPlace.inPlace = true;
  SweepEveryFault(inPlace);
}

TEST(CompoundFileCrashTest, AnInterruptedSaveOfAFileBeyondTheHeaderDifatLeavesTheOldOrTheNewFile) {
  // 7.5 MB need more FAT sectors than the header lists; the save adds enough to need a
  // second DIFAT sector's worth of change.
  Scenario scenario{"DIFAT",
                    {{"Huge", PatternBytes(7500000, 1)}, {"Small", PatternBytes(500, 2)}},
                    {{"Small", PatternBytes(700, 3)}, {"More", PatternBytes(300000, 4)}}};
  SweepEveryFault(scenario);
  scenario.name = "DIFAT, written in place: the new stream goes to the file in two pieces before the commit";
  scenario.inPlace = true;
  SweepEveryFault(scenario);
}

}  // namespace
}  // namespace commonobjects::platform
