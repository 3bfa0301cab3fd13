// A mix save that fails at any write or sync, or has a write cut short, leaves a file that
// loads as the old mix or the new one, whole: never new events beside old records.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/CompoundFile.h"
#include "support/FaultInjectingFile.h"
#include "support/SampleMix.h"
#include "support/TestConsole.h"

namespace {

using commonobjects::platform::CompoundStorage;
using commonobjects::platform::MemoryFile;
using commonobjects::platform::RandomAccessFile;
using testsupport::FaultInjectingFile;
using Mode = FaultInjectingFile::Mode;
using Bytes = std::vector<uint8_t>;
using Members = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

// A console of 256 paths keeps the mix small, so that every write can be tried.
class PackageCrashTest : public testing::Test {
 protected:
  testsupport::TestConsole console_{2, 0};
};

// The mix in `bytes` as a fresh package reads it.
Members LoadStructured(const Bytes& bytes) {
  std::unique_ptr<CompoundStorage> storage;
  if (!CompoundStorage::Open(std::make_unique<MemoryFile>(std::make_shared<Bytes>(bytes)), 0x10, &storage).IsOk()) {
    return {};
  }
  CAutomationPackage mix;
  mix.SetNotifyOnDestruction(false);
  mix.LoadFrom(*storage);
  return testsupport::MixMembers(mix);
}

// Saves `mix` over a copy of `base` through a file that fails as told; the bytes it left.
Bytes SaveWithFault(CAutomationPackage& mix, const Bytes& base, Mode mode, int k, size_t cut, int* writes, int* syncs,
                    int* result, std::vector<std::pair<uint64_t, size_t>>* log = nullptr) {
  auto bytes = std::make_shared<Bytes>(base);
  FaultInjectingFile counter(std::make_unique<MemoryFile>(bytes), mode, k, cut);
  std::unique_ptr<CompoundStorage> storage;
  *result = CompoundStorage::Open(std::make_unique<testsupport::BorrowedFile>(counter), 0x12, &storage).IsOk()
                ? mix.SaveTo(*storage)
                : 0;
  *writes = counter.Writes();
  *syncs = counter.Syncs();
  if (log != nullptr) *log = counter.WriteLog();
  storage.reset();
  return *bytes;
}

TEST_F(PackageCrashTest, AStructuredSaveCutAnywhereLeavesTheOldMixOrTheNew) {
  CAutomationPackage oldMix, newMix;
  testsupport::FillSampleMix(oldMix, 300, 20);
  testsupport::FillSampleMix(newMix, 700, 30);
  newMix.SetMixPass(99, 98);
  newMix.GangMap[5] = 3;
  Bytes base;
  {
    auto bytes = std::make_shared<Bytes>();
    std::unique_ptr<CompoundStorage> storage;
    ASSERT_TRUE(CompoundStorage::Create(std::make_unique<MemoryFile>(bytes), &storage).IsOk());
    ASSERT_EQ(oldMix.SaveTo(*storage), 1);
    base = *bytes;
  }
  const Members before = testsupport::MixMembers(oldMix);
  const Members after = testsupport::MixMembers(newMix);
  int writes = 0, syncs = 0, result = 0;
  std::vector<std::pair<uint64_t, size_t>> log;
  EXPECT_EQ(LoadStructured(SaveWithFault(newMix, base, Mode::kCount, 0, 0, &writes, &syncs, &result, &log)), after);
  ASSERT_EQ(result, 1);
  ASSERT_GT(writes, 3);
  ASSERT_GE(syncs, 2);
  int oldSeen = 0, newSeen = 0;
  auto check = [&](Mode mode, int k, size_t cut) {
    int w = 0, s = 0, r = 0;
    const Members loaded = LoadStructured(SaveWithFault(newMix, base, mode, k, cut, &w, &s, &r));
    const bool isOld = loaded == before, isNew = loaded == after;
    EXPECT_TRUE(isOld || isNew) << "fault " << static_cast<int>(mode) << " at " << k << " cut " << cut;
    EXPECT_TRUE(r == 0 || isNew) << "a failed save was reported as done";
    oldSeen += isOld;
    newSeen += isNew;
  };
  for (int k = 1; k <= writes; ++k) {
    check(Mode::kFailWrite, k, 0);
    // The header is one sector, written whole or not at all; any other write may be torn.
    if (log[static_cast<size_t>(k - 1)].first != 0) check(Mode::kCutWrite, k, 100);
  }
  for (int k = 1; k <= syncs; ++k) check(Mode::kFailSync, k, 0);
  EXPECT_GT(oldSeen, 0);
  EXPECT_GT(newSeen, 0);  // a fault after the header is durable keeps the new mix
}

TEST_F(PackageCrashTest, ACompressedSaveReportsEveryFaultSoTheOldFileIsNeverReplaced) {
  console_.SetNumber(testsupport::kServerKey, "CompressedAutoPauseMs", 0);
  CAutomationPackage mix;
  testsupport::FillSampleMix(mix, 40'000, 20);  // events in three chunks
  auto write = [&](Mode mode, int k, int* writes, int* syncs) {
    FaultInjectingFile counter(std::make_unique<MemoryFile>(), mode, k, 7);
    CCompressedAutoFile file;
    EXPECT_TRUE(file.OpenFile(std::make_unique<testsupport::BorrowedFile>(counter)));
    const int result = mix.SaveTo(file);
    file.CloseFile();
    *writes = counter.Writes();
    *syncs = counter.Syncs();
    return result != 0 && !file.WriteFailed();
  };
  int writes = 0, syncs = 0, w = 0, s = 0;
  ASSERT_TRUE(write(Mode::kCount, 0, &writes, &syncs));
  for (int k = 1; k <= writes; ++k) {
    EXPECT_FALSE(write(Mode::kFailWrite, k, &w, &s)) << "write " << k;
    EXPECT_FALSE(write(Mode::kCutWrite, k, &w, &s)) << "write " << k;
  }
  for (int k = 1; k <= syncs; ++k) EXPECT_FALSE(write(Mode::kFailSync, k, &w, &s)) << "sync " << k;
}

}  // namespace
