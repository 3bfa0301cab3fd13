#include "commonobjects/platform/CompoundFile.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "commonobjects/platform/File.h"
#include "commonobjects/platform/internal/CfbContainer.h"
#include "commonobjects/platform/internal/CfbNames.h"
#include "support/CfbBuilder.h"

namespace commonobjects::platform {
namespace {

namespace fs = std::filesystem;
using testsupport::Bytes;
using testsupport::PatternBytes;
using testsupport::StreamContents;

uint64_t Fnv1a(const Bytes& bytes) {
  uint64_t hash = 1469598103934665603ull;
  for (uint8_t byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
  return hash;
}

std::string SampleFile(const std::string& name) {
  return std::string(COMMONOBJECTS_SOURCE_DIR) + "/testdata/cfb/" + name;
}

class CompoundFileTest : public testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return folder_.PathOf(name); }

  void WriteStreams(const std::string& path, uint32_t mode, const StreamContents& streams) {
    std::unique_ptr<CompoundStorage> storage;
    StgStatus status = mode & STGM_CREATE ? CompoundStorage::Create(path, mode, &storage)
                                          : CompoundStorage::Open(path, mode, &storage);
    ASSERT_TRUE(status.IsOk()) << status.message;
    for (const auto& [name, content] : streams) {
      std::unique_ptr<CompoundStream> stream;
      ASSERT_TRUE(storage->CreateStream(name, 0x1012, &stream).IsOk()) << name;
      uint32_t written = 0;
      ASSERT_TRUE(stream->Write(content.data(), static_cast<uint32_t>(content.size()), &written).IsOk());
      ASSERT_TRUE(stream->Close().IsOk());
    }
    ASSERT_TRUE(storage->Release().IsOk());
  }

  static StreamContents ReadFile(const std::string& path) {
    Bytes bytes;
    EXPECT_TRUE(ReadWholeFile(path, &bytes).IsOk());
    StreamContents streams;
    const StgStatus status = testsupport::ReadCompoundFile(bytes, &streams);
    EXPECT_TRUE(status.IsOk()) << status.message;
    return streams;
  }

  testsupport::TempFolder folder_{"co-cfb"};
};

TEST_F(CompoundFileTest, WordSamplesReadAsAnIndependentReaderReadsThem) {
  struct Expected {
    const char* file;
    const char* stream;
    uint64_t size;
    uint64_t hash;  // FNV-1a of the content, as python3-olefile reads it
  };
  const Expected expected[] = {
      {"word-test05.doc", "\001CompObj", 106, 0xddab2fc111f8c0dfull},
      {"word-test05.doc", "\005DocumentSummaryInformation", 4096, 0x968e16e6d7df8ea3ull},
      {"word-test05.doc", "1Table", 4096, 0x220dbf4ae3d2a77dull},
      {"word-test05.doc", "WordDocument", 4096, 0x0f9b43e5c0a7cd38ull},
      {"word-test11.doc", "\005SummaryInformation", 536, 0x3ade4815f1f9fad3ull},
      {"word-test11.doc", "0Table", 2508, 0xba9e7caee4c3c564ull},
      {"word-test11.doc", "Data", 0, 0x14650fb0739d0383ull},
      {"word-test11.doc", "WordDocument", 3630, 0x2d068898b2a7570dull},
      {"word-test18.doc", "\001Ole", 20, 0x79ac6b5b3412603cull},
      {"word-test18.doc", "Data", 191, 0xeadbc56fccdb1ec1ull},
      {"word-test18.doc", "ObjectPool/_2147483647/package_stream", 3337, 0x05dbdf0434c23081ull},
      {"word-test18.doc", "ObjectPool/_2147483647/properties_stream", 16, 0xba6f7d0251e3880full},
      {"word-test18.doc", "WordDocument", 485844, 0x584077a36aa1f0fcull},
  };
  const std::pair<const char*, size_t> streamCounts[] = {
      {"word-test05.doc", 5}, {"word-test11.doc", 5}, {"word-test18.doc", 11}};
  for (const auto& [file, count] : streamCounts) {
    const StreamContents streams = ReadFile(SampleFile(file));
    EXPECT_EQ(streams.size(), count) << file;
    CompoundFileReport report;
    EXPECT_TRUE(CheckCompoundFile(SampleFile(file), &report)) << file << ": " << testing::PrintToString(report.errors);
  }
  for (const Expected& e : expected) {
    const StreamContents streams = ReadFile(SampleFile(e.file));
    ASSERT_EQ(streams.count(e.stream), 1u) << e.file << " " << e.stream;
    EXPECT_EQ(streams.at(e.stream).size(), e.size) << e.stream;
    EXPECT_EQ(Fnv1a(streams.at(e.stream)), e.hash) << e.stream;
  }
}

TEST_F(CompoundFileTest, BrokenWordHeaderIsRefusedCleanly) {
  std::unique_ptr<CompoundStorage> storage;
  EXPECT_EQ(CompoundStorage::Open(SampleFile("word-badfile-01-bad-header.doc"), 0x10, &storage).code, StgStatus::kCorrupt);
  EXPECT_EQ(storage, nullptr);
  CompoundFileReport report;
  EXPECT_FALSE(CheckCompoundFile(SampleFile("word-badfile-01-bad-header.doc"), &report));
}

TEST_F(CompoundFileTest, StreamsOfEverySizeRoundTripThroughVersion3Files) {
  StreamContents streams;
  for (size_t size : {0, 1, 63, 64, 65, 4095, 4096, 4097, 100000, 1 << 20}) {
    streams["s" + std::to_string(size)] = PatternBytes(size, static_cast<uint32_t>(size));
  }
  WriteStreams(PathOf("f.cfb"), 0x1012, streams);
  EXPECT_EQ(ReadFile(PathOf("f.cfb")), streams);

  Bytes bytes;
  ASSERT_TRUE(ReadWholeFile(PathOf("f.cfb"), &bytes).IsOk());
  testsupport::CfbEditor header(bytes);
  EXPECT_EQ(header.Get16(testsupport::kHeaderMajorVersion), 3);
  EXPECT_EQ(header.Get16(testsupport::kHeaderSectorShift), 9);
  EXPECT_EQ(bytes.size() % 512, 0u);
  CompoundFileReport report;
  EXPECT_TRUE(CheckCompoundFile(PathOf("f.cfb"), &report));
  EXPECT_TRUE(report.warnings.empty()) << testing::PrintToString(report.warnings);
}

TEST_F(CompoundFileTest, ReplacingAStreamKeepsEveryOtherStream) {
  WriteStreams(PathOf("f.cfb"), 0x1012,
               {{"Path Mode", PatternBytes(4, 1)}, {"AutomationData", PatternBytes(50000, 2)}, {"Other", PatternBytes(700, 3)}});
  WriteStreams(PathOf("f.cfb"), 0x12, {{"automationdata", PatternBytes(20, 4)}, {"New", PatternBytes(9000, 5)}});
  const StreamContents expected = {{"Path Mode", PatternBytes(4, 1)},
                                   {"automationdata", PatternBytes(20, 4)},
                                   {"Other", PatternBytes(700, 3)},
                                   {"New", PatternBytes(9000, 5)}};
  EXPECT_EQ(ReadFile(PathOf("f.cfb")), expected);
  CompoundFileReport report;
  EXPECT_TRUE(CheckCompoundFile(PathOf("f.cfb"), &report)) << testing::PrintToString(report.errors);
}

TEST_F(CompoundFileTest, AWordFileOpenedForWritingKeepsItsStreamsAndStorages) {
  fs::copy_file(SampleFile("word-test18.doc"), PathOf("w.doc"));
  StreamContents expected = ReadFile(PathOf("w.doc"));
  WriteStreams(PathOf("w.doc"), 0x12, {{"AutomationData", PatternBytes(5000, 6)}, {"Data", PatternBytes(10, 7)}});
  expected["AutomationData"] = PatternBytes(5000, 6);
  expected["Data"] = PatternBytes(10, 7);
  EXPECT_EQ(ReadFile(PathOf("w.doc")), expected);
  CompoundFileReport report;
  EXPECT_TRUE(CheckCompoundFile(PathOf("w.doc"), &report)) << testing::PrintToString(report.errors);
}

TEST_F(CompoundFileTest, StreamsWriteInPiecesSeekPastTheEndAndReadBack) {
  std::unique_ptr<CompoundStorage> storage;
  ASSERT_TRUE(CompoundStorage::Create(PathOf("f.cfb"), 0x1012, &storage).IsOk());
  std::unique_ptr<CompoundStream> stream;
  ASSERT_TRUE(storage->CreateStream("S", 0x1012, &stream).IsOk());
  uint32_t count = 0;
  ASSERT_TRUE(stream->Write("abc", 3, &count).IsOk());
  ASSERT_TRUE(stream->Seek(10).IsOk());
  ASSERT_TRUE(stream->Write("xyz", 3, &count).IsOk());
  EXPECT_EQ(stream->Length(), 13u);
  char buffer[20] = {};
  ASSERT_TRUE(stream->Seek(1).IsOk());
  ASSERT_TRUE(stream->Read(buffer, sizeof buffer, &count).IsOk());
  EXPECT_EQ(count, 12u);
  EXPECT_EQ(std::string(buffer, count), std::string("bc\0\0\0\0\0\0\0xyz", 12));
  ASSERT_TRUE(stream->Read(buffer, sizeof buffer, &count).IsOk());
  EXPECT_EQ(count, 0u);
  ASSERT_TRUE(stream->Close().IsOk());
  ASSERT_TRUE(storage->Release().IsOk());
  EXPECT_EQ(ReadFile(PathOf("f.cfb")).at("S").size(), 13u);
}

TEST_F(CompoundFileTest, WriteInPlaceFillsTheStreamsOwnMemoryAsWriteWould) {
  const Bytes original = PatternBytes(5000, 3);
  const Bytes tail = PatternBytes(5000, 9);
  WriteStreams(PathOf("f.cfb"), 0x1012, {{"S", original}, {"T", PatternBytes(10, 1)}});
  const auto fillWith = [](const Bytes& bytes) {
    return [&bytes](uint8_t* at, uint64_t done, size_t length) { std::copy_n(bytes.begin() + done, length, at); };
  };
  std::unique_ptr<CompoundStorage> storage;
  ASSERT_TRUE(CompoundStorage::Open(PathOf("f.cfb"), 0x12, &storage).IsOk());
  std::unique_ptr<CompoundStream> stream, readOnly;
  ASSERT_TRUE(storage->OpenStream("T", 0x10, &readOnly).IsOk());
  bool called = false;
  EXPECT_EQ(readOnly->WriteInPlace(1, [&](uint8_t*, uint64_t, size_t) { called = true; }).code, StgStatus::kAccessDenied);
  EXPECT_FALSE(called);
  ASSERT_TRUE(storage->OpenStream("S", 0x12, &stream).IsOk());
  const Bytes middle(10, 'z');
  ASSERT_TRUE(stream->Seek(100).IsOk());
  ASSERT_TRUE(stream->WriteInPlace(middle.size(), fillWith(middle)).IsOk());
  ASSERT_TRUE(stream->Seek(6000).IsOk());  // past the end: the gap reads as zeros
  ASSERT_TRUE(stream->WriteInPlace(tail.size(), fillWith(tail)).IsOk());
  EXPECT_EQ(stream->Length(), 11000u);
  stream.reset();
  readOnly.reset();
  ASSERT_TRUE(storage->Release().IsOk());

  Bytes expected = original;
  std::copy(middle.begin(), middle.end(), expected.begin() + 100);
  expected.resize(6000, 0);
  expected.insert(expected.end(), tail.begin(), tail.end());
  const StreamContents streams = ReadFile(PathOf("f.cfb"));
  EXPECT_EQ(streams.at("S"), expected);
  EXPECT_EQ(streams.at("T"), PatternBytes(10, 1));
}

TEST_F(CompoundFileTest, WriteInPlaceSendsANewLargeStreamToFreeSectorsThatOnlyTheCommitReaches) {
  auto bytes = std::make_shared<Bytes>();
  std::unique_ptr<CompoundStorage> storage;
  ASSERT_TRUE(CompoundStorage::Create(std::make_unique<MemoryFile>(bytes), &storage).IsOk());
  const Bytes big = PatternBytes(600007, 4);  // three pieces, the last one ending inside a sector
  uint64_t next = 0;
  const auto fill = [&](uint8_t* at, uint64_t done, size_t length) {
    EXPECT_EQ(done, next) << "pieces out of order";
    next = done + length;
    std::copy_n(big.begin() + done, length, at);
  };
  std::unique_ptr<CompoundStream> stream, dropped;
  ASSERT_TRUE(storage->CreateStream("Dropped", 0x1012, &dropped).IsOk());
  ASSERT_TRUE(dropped->WriteInPlace(5000, fill).IsOk());
  dropped.reset();
  next = 0;
  ASSERT_TRUE(storage->CreateStream("Big", 0x1012, &stream).IsOk());
  ASSERT_TRUE(stream->WriteInPlace(big.size(), fill).IsOk());
  EXPECT_EQ(next, big.size());
  EXPECT_EQ(stream->Length(), big.size());
  StreamContents read;
  ASSERT_TRUE(testsupport::ReadCompoundFile(*bytes, &read).IsOk());
  EXPECT_TRUE(read.empty()) << "the header reached new content before a commit";

  // Read back before the commit, and changed again: the stream comes back into memory.
  Bytes back(big.size());
  uint32_t count = 0;
  ASSERT_TRUE(stream->Seek(0).IsOk());
  ASSERT_TRUE(stream->Read(back.data(), static_cast<uint32_t>(back.size()), &count).IsOk());
  EXPECT_EQ(back, big);
  ASSERT_TRUE(stream->Seek(300000).IsOk());
  ASSERT_TRUE(stream->Write("xyz", 3, &count).IsOk());
  ASSERT_TRUE(storage->CreateStream("Dropped", 0x1012, &dropped).IsOk());  // its sectors go back to the free ones
  ASSERT_TRUE(dropped->Write("small", 5, &count).IsOk());
  stream.reset();
  dropped.reset();
  ASSERT_TRUE(storage->Release().IsOk());

  Bytes expected = big;
  std::copy_n("xyz", 3, expected.begin() + 300000);
  ASSERT_TRUE(testsupport::ReadCompoundFile(*bytes, &read).IsOk());
  EXPECT_EQ(read, (StreamContents{{"Big", expected}, {"Dropped", {'s', 'm', 'a', 'l', 'l'}}}));
  MemoryFile file(bytes);
  CompoundFileReport report;
  EXPECT_TRUE(CheckCompoundFile(file, &report)) << testing::PrintToString(report.errors);
  EXPECT_TRUE(report.warnings.empty()) << testing::PrintToString(report.warnings);
  EXPECT_LT(bytes->size(), big.size() + 16 * 1024) << "sectors written before the commit and dropped were not reused";
}

// AllocateChain must choose exactly the sectors that one Allocate per sector would (the
// files written depend on it), whatever the working and committed states hold.
TEST_F(CompoundFileTest, AChainAllocatedAtOnceTakesTheSectorsThatAllocatingOneByOneTakes) {
  std::mt19937 rng(11);
  cfb::CfbAllocationTable bulk(128), single(128);
  std::vector<std::vector<uint32_t>> chains;
  for (int step = 0; step < 400; ++step) {
    const uint32_t choice = rng() % 8;
    if (choice == 0) {
      bulk.MarkCommitted();
      single.MarkCommitted();
    } else if (choice <= 2 && !chains.empty()) {
      const size_t which = rng() % chains.size();
      bulk.FreeChain(chains[which]);
      single.FreeChain(chains[which]);
      chains.erase(chains.begin() + static_cast<std::ptrdiff_t>(which));
    } else {
      const size_t count = rng() % 4 == 0 ? rng() % 600 : rng() % 20;  // long ones cross whole committed words
      std::vector<uint32_t> one;
      for (size_t i = 0; i < count; ++i) one.push_back(single.Allocate(cfb::kEndOfChain));
      single.LinkChain(one);
      ASSERT_EQ(bulk.AllocateChain(count), one) << "step " << step;
      if (!one.empty()) chains.push_back(one);
    }
    ASSERT_EQ(bulk.Entries(), single.Entries()) << "step " << step;
    ASSERT_EQ(bulk.DirtySectors(), single.DirtySectors()) << "step " << step;
    if (rng() % 5 == 0) {
      bulk.ClearDirty();
      single.ClearDirty();
    }
  }
  EXPECT_GT(bulk.Size(), 1000u) << "the sequence never grew the table far";
}

TEST_F(CompoundFileTest, NamesAreCheckedAndFoundWithoutRegardToCase) {
  std::unique_ptr<CompoundStorage> storage;
  ASSERT_TRUE(CompoundStorage::Create(PathOf("f.cfb"), 0x1012, &storage).IsOk());
  std::unique_ptr<CompoundStream> stream;
  for (const char* bad : {"", "a/b", "a\\b", "a:b", "bang!", "0123456789012345678901234567890x"}) {
    EXPECT_EQ(storage->CreateStream(bad, 0x1012, &stream).code, StgStatus::kInvalidArgument) << bad;
    EXPECT_EQ(storage->OpenStream(bad, 0x10, &stream).code, StgStatus::kInvalidArgument) << bad;
  }
  for (const char* good : {"0123456789012345678901234567890", "Caf\xe9 \x80uro", "\005SummaryInformation"}) {
    ASSERT_TRUE(storage->CreateStream(good, 0x1012, &stream).IsOk()) << good;
  }
  stream.reset();
  ASSERT_TRUE(storage->OpenStream("CAF\xc9 \x80URO", 0x10, &stream).IsOk());
  ASSERT_TRUE(storage->Release().IsOk());

  std::vector<std::string> names;
  ASSERT_TRUE(CompoundStorage::Open(PathOf("f.cfb"), 0x10, &storage).IsOk());
  for (const StorageEntry& entry : storage->List()) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Caf\xe9 \x80uro", "\005SummaryInformation", "0123456789012345678901234567890"}));
}

TEST_F(CompoundFileTest, ModesDecideWhatMayBeWrittenAndStreamsAreExclusive) {
  WriteStreams(PathOf("f.cfb"), 0x1012, {{"A", PatternBytes(10, 1)}});
  std::unique_ptr<CompoundStorage> storage;
  std::unique_ptr<CompoundStream> stream, second;
  EXPECT_EQ(CompoundStorage::Create(PathOf("f.cfb"), 0x12, &storage).code, StgStatus::kAlreadyExists);
  ASSERT_TRUE(CompoundStorage::Open(PathOf("f.cfb"), 0x10, &storage).IsOk());
  EXPECT_EQ(storage->CreateStream("B", 0x1012, &stream).code, StgStatus::kAccessDenied);
  EXPECT_EQ(storage->OpenStream("A", 0x12, &stream).code, StgStatus::kAccessDenied);
  EXPECT_EQ(storage->OpenStream("missing", 0x10, &stream).code, StgStatus::kNotFound);
  ASSERT_TRUE(storage->OpenStream("A", 0x10, &stream).IsOk());
  uint32_t count = 0;
  EXPECT_EQ(stream->Write("x", 1, &count).code, StgStatus::kAccessDenied);
  EXPECT_EQ(storage->OpenStream("a", 0x10, &second).code, StgStatus::kInUse);
  ASSERT_TRUE(stream->Close().IsOk());
  EXPECT_TRUE(storage->OpenStream("a", 0x10, &second).IsOk());
  ASSERT_TRUE(storage->Release().IsOk());
  char buffer[4];
  EXPECT_FALSE(second->Read(buffer, 4, &count).IsOk());

  ASSERT_TRUE(CompoundStorage::Open(PathOf("f.cfb"), 0x12, &storage).IsOk());
  EXPECT_EQ(storage->CreateStream("A", 0x12, &stream).code, StgStatus::kAlreadyExists);
  ASSERT_TRUE(storage->CreateStream("A", 0x1012, &stream).IsOk());
  EXPECT_EQ(storage->CreateStream("A", 0x1012, &second).code, StgStatus::kInUse);
  std::unique_ptr<CompoundStorage> child;
  EXPECT_EQ(storage->OpenStorage("A", 0x10, &child).code, StgStatus::kNotFound);
}

TEST_F(CompoundFileTest, ProbeTellsMissingForeignAndCompoundFilesApart) {
  WriteStreams(PathOf("f.cfb"), 0x1012, {});
  ASSERT_TRUE(WriteFileAtomically(PathOf("text"), std::string(600, 'x')).IsOk());
  ASSERT_TRUE(WriteFileAtomically(PathOf("empty"), std::string()).IsOk());
  EXPECT_EQ(StgIsStorageFile(PathOf("f.cfb")).code, StgStatus::kOk);
  EXPECT_EQ(StgIsStorageFile(PathOf("missing")).code, StgStatus::kFileNotFound);
  EXPECT_EQ(StgIsStorageFile(PathOf("text")).code, StgStatus::kNotCompoundFile);
  EXPECT_EQ(StgIsStorageFile(PathOf("empty")).code, StgStatus::kNotCompoundFile);
  std::unique_ptr<CompoundStorage> storage;
  EXPECT_EQ(CompoundStorage::Open(PathOf("missing"), 0x10, &storage).code, StgStatus::kFileNotFound);
  EXPECT_EQ(CompoundStorage::Open(PathOf("text"), 0x12, &storage).code, StgStatus::kNotCompoundFile);
  EXPECT_EQ(CompoundStorage::Create(PathOf("no folder/f.cfb"), 0x1012, &storage).code, StgStatus::kFileNotFound);
}

TEST_F(CompoundFileTest, ASecondOpenerIsRefusedWhileTheFirstHoldsTheFile) {
  WriteStreams(PathOf("f.cfb"), 0x1012, {{"A", PatternBytes(10, 1)}});
  Bytes before;
  ASSERT_TRUE(ReadWholeFile(PathOf("f.cfb"), &before).IsOk());
  std::unique_ptr<CompoundStorage> holder, other;
  ASSERT_TRUE(CompoundStorage::Open(PathOf("f.cfb"), 0x10, &holder).IsOk());
  EXPECT_EQ(CompoundStorage::Open(PathOf("f.cfb"), 0x10, &other).code, StgStatus::kInUse);
  EXPECT_EQ(CompoundStorage::Open(PathOf("f.cfb"), 0x12, &other).code, StgStatus::kInUse);
  EXPECT_EQ(CompoundStorage::Create(PathOf("f.cfb"), 0x1012, &other).code, StgStatus::kInUse);
  EXPECT_EQ(StgIsStorageFile(PathOf("f.cfb")).code, StgStatus::kOk);

  const pid_t child = fork();
  if (child == 0) {
    std::unique_ptr<CompoundStorage> inChild;
    _exit(CompoundStorage::Open(PathOf("f.cfb"), 0x10, &inChild).code == StgStatus::kInUse ? 0 : 1);
  }
  int childStatus = -1;
  ASSERT_EQ(waitpid(child, &childStatus, 0), child);
  EXPECT_TRUE(WIFEXITED(childStatus) && WEXITSTATUS(childStatus) == 0) << "another process opened a held file";

  ASSERT_TRUE(holder->Release().IsOk());
  EXPECT_TRUE(CompoundStorage::Open(PathOf("f.cfb"), 0x12, &other).IsOk());
  other.reset();
  Bytes after;
  ASSERT_TRUE(ReadWholeFile(PathOf("f.cfb"), &after).IsOk());
  EXPECT_EQ(after, before) << "an opening that changed nothing rewrote the file";
}

TEST_F(CompoundFileTest, ReplacingStreamsOverAndOverReachesASteadySize) {
  const size_t kLarge = 100 * 1024;
  for (int round = 0; round < 200; ++round) {
    WriteStreams(PathOf("f.cfb"), round == 0 ? 0x1012 : 0x12,
                 {{"Large", PatternBytes(kLarge, round)}, {"Small", PatternBytes(300 + round, round)}});
  }
  EXPECT_LT(fs::file_size(PathOf("f.cfb")), 2 * kLarge + 16 * 1024);
  const StreamContents streams = ReadFile(PathOf("f.cfb"));
  EXPECT_EQ(streams.at("Large"), PatternBytes(kLarge, 199));
  EXPECT_EQ(streams.at("Small"), PatternBytes(499, 199));
  CompoundFileReport report;
  EXPECT_TRUE(CheckCompoundFile(PathOf("f.cfb"), &report));
  EXPECT_TRUE(report.warnings.empty()) << testing::PrintToString(report.warnings);
}

TEST_F(CompoundFileTest, TreesOfAnySizeAreBalancedRedBlackTrees) {
  for (size_t count : {1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 16, 17, 31, 100, 1500}) {
    StreamContents streams;
    for (size_t i = 0; i < count; ++i) streams["Stream " + std::to_string(i * 7919 % 10007)] = PatternBytes(i % 5, 1);
    const Bytes bytes = testsupport::BuildCompoundFile(streams);
    MemoryFile file(std::make_shared<Bytes>(bytes));
    CompoundFileReport report;
    EXPECT_TRUE(CheckCompoundFile(file, &report)) << count << ": " << testing::PrintToString(report.errors);
    EXPECT_TRUE(report.warnings.empty()) << count << ": " << testing::PrintToString(report.warnings);
    StreamContents read;
    ASSERT_TRUE(testsupport::ReadCompoundFile(bytes, &read).IsOk());
    EXPECT_EQ(read, streams);
  }
}

TEST_F(CompoundFileTest, Version4FilesWithLargeSectorsRead) {
  auto bytes = std::make_shared<Bytes>();
  std::unique_ptr<cfb::CfbContainer> container;
  ASSERT_TRUE(cfb::CfbContainer::Initialize(std::make_unique<MemoryFile>(bytes), &container, 4).IsOk());
  StreamContents streams;
  for (size_t size : {0, 100, 4095, 4096, 5000, 300000}) {
    const std::string name = "v4 " + std::to_string(size);
    streams[name] = PatternBytes(size, static_cast<uint32_t>(size));
    uint32_t node = 0;
    ASSERT_TRUE(container->CreateStream(0, cfb::NameFromAnsi(name), &node).IsOk());
    ASSERT_TRUE(container->WriteStream(node, 0, streams[name].data(), size).IsOk());
  }
  const Bytes& inPlace = streams["v4 in place"] = PatternBytes(300001, 5);  // straight to 4096-byte sectors
  uint32_t node = 0;
  ASSERT_TRUE(container->CreateStream(0, cfb::NameFromAnsi("v4 in place"), &node).IsOk());
  ASSERT_TRUE(container
                  ->FillStream(node, 0, inPlace.size(),
                               [&](uint8_t* at, uint64_t done, size_t length) {
                                 std::copy_n(inPlace.begin() + static_cast<std::ptrdiff_t>(done), length, at);
                               })
                  .IsOk());
  ASSERT_TRUE(container->Close().IsOk());
  testsupport::CfbEditor header(*bytes);
  EXPECT_EQ(header.Get16(testsupport::kHeaderMajorVersion), 4);
  EXPECT_EQ(header.Get16(testsupport::kHeaderSectorShift), 12);
  StreamContents read;
  ASSERT_TRUE(testsupport::ReadCompoundFile(*bytes, &read).IsOk());
  EXPECT_EQ(read, streams);
  MemoryFile file(bytes);
  CompoundFileReport report;
  EXPECT_TRUE(CheckCompoundFile(file, &report)) << testing::PrintToString(report.errors);
}

TEST_F(CompoundFileTest, CommitMakesChangesDurableWhileTheStorageStaysOpen) {
  auto bytes = std::make_shared<Bytes>();
  std::unique_ptr<CompoundStorage> storage;
  ASSERT_TRUE(CompoundStorage::Create(std::make_unique<MemoryFile>(bytes), &storage).IsOk());
  std::unique_ptr<CompoundStream> stream;
  ASSERT_TRUE(storage->CreateStream("A", 0x1012, &stream).IsOk());
  uint32_t count = 0;
  ASSERT_TRUE(stream->Write("one", 3, &count).IsOk());
  StreamContents read;
  ASSERT_TRUE(testsupport::ReadCompoundFile(*bytes, &read).IsOk());
  EXPECT_TRUE(read.empty()) << "content reached the file before a commit";
  ASSERT_TRUE(storage->Commit().IsOk());
  ASSERT_TRUE(stream->Write("two", 3, &count).IsOk());
  ASSERT_TRUE(testsupport::ReadCompoundFile(*bytes, &read).IsOk());
  EXPECT_EQ(read, (StreamContents{{"A", {'o', 'n', 'e'}}}));
  ASSERT_TRUE(storage->Release().IsOk());
  ASSERT_TRUE(testsupport::ReadCompoundFile(*bytes, &read).IsOk());
  EXPECT_EQ(read, (StreamContents{{"A", {'o', 'n', 'e', 't', 'w', 'o'}}}));
}

}  // namespace
}  // namespace commonobjects::platform
