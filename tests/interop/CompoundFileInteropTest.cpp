// Our compound files read the same in independent readers (python3-olefile in strict mode,
// gsf, 7z), and files that gsf writes read the same in ours.
#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/File.h"
#include "support/CfbBuilder.h"
#include "support/IndependentReaders.h"

namespace commonobjects::platform {
namespace {

namespace fs = std::filesystem;
using testsupport::Bytes;
using testsupport::PatternBytes;
using testsupport::StreamContents;

using Outcome = testsupport::ToolOutcome;

class CompoundFileInteropTest : public testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return folder_.PathOf(name); }
  Outcome Run(const std::string& command) const { return readers_.Run(command); }
  static void RequireTool(const char* path, const char* package) {
    testsupport::IndependentReaders::RequireTool(path, package);
  }
  StreamContents ReadWithOlefile(const std::string& path) { return readers_.ReadWithOlefile(path); }
  void ExpectGsfReads(const std::string& path, const std::string& stream, const Bytes& content) {
    readers_.ExpectGsfReads(path, stream, content);
  }
  void Expect7zPasses(const std::string& path) { readers_.Expect7zPasses(path); }

  // inPlace: every stream is written with WriteInPlace (large ones go to the file at once).
  void WriteOurs(const std::string& path, const StreamContents& streams, uint32_t mode = 0x1012, bool inPlace = false) {
    std::unique_ptr<CompoundStorage> storage;
    StgStatus status = mode & STGM_CREATE ? CompoundStorage::Create(path, mode, &storage)
                                          : CompoundStorage::Open(path, mode, &storage);
    ASSERT_TRUE(status.IsOk()) << status.message;
    for (const auto& [name, content] : streams) {
      std::unique_ptr<CompoundStream> stream;
      uint32_t written = 0;
      const auto fill = [&content](uint8_t* at, uint64_t done, size_t length) {
        std::copy_n(content.begin() + done, length, at);
      };
      ASSERT_TRUE(storage->CreateStream(name, 0x1012, &stream).IsOk());
      ASSERT_TRUE((inPlace ? stream->WriteInPlace(content.size(), fill)
                           : stream->Write(content.data(), static_cast<uint32_t>(content.size()), &written))
                      .IsOk());
    }
    ASSERT_TRUE(storage->Release().IsOk());
  }

  void ExpectEveryReaderAgrees(const std::string& path, const StreamContents& expected, size_t gsfSample = 1) {
    EXPECT_EQ(ReadWithOlefile(path), expected) << path;
    size_t i = 0;
    for (const auto& [name, content] : expected) {
      if (i++ % gsfSample == 0) ExpectGsfReads(path, name, content);
    }
    Expect7zPasses(path);
  }

  testsupport::TempFolder folder_{"co-cfb-interop"};
  testsupport::IndependentReaders readers_{folder_.Path().string()};
};

StreamContents SizedStreams() {
  StreamContents streams;
  for (size_t size : {0, 63, 64, 4095, 4096, 4097, 1 << 20, 9 << 20}) {
    streams["s" + std::to_string(size)] = PatternBytes(size, static_cast<uint32_t>(size));
  }
  return streams;
}

TEST_F(CompoundFileInteropTest, OurFilesReadTheSameInOlefileGsfAnd7z) {
  const StreamContents sized = SizedStreams();
  WriteOurs(PathOf("sized.cfb"), sized);
  ExpectEveryReaderAgrees(PathOf("sized.cfb"), sized);

  StreamContents many;
  for (int i = 0; i < 1500; ++i) many["Stream " + std::to_string(i)] = PatternBytes(i % 7 == 0 ? 5000 : i, i);
  WriteOurs(PathOf("many.cfb"), many);
  ExpectEveryReaderAgrees(PathOf("many.cfb"), many, 97);

  // Replaced again and again, with streams growing, shrinking and moving in and out of the
  // mini stream.
  StreamContents replaced = {{"Keep", PatternBytes(70000, 1)}, {"Tiny", PatternBytes(5, 2)}};
  WriteOurs(PathOf("replaced.cfb"), replaced);
  for (int round = 0; round < 12; ++round) {
    const StreamContents change = {{"AutomationData", PatternBytes(round % 3 == 0 ? 100 : 9000 * round, round)},
                                   {"File Version", PatternBytes(40, round)}};
    WriteOurs(PathOf("replaced.cfb"), change, 0x12, round % 2 == 1);
    for (const auto& [name, content] : change) replaced[name] = content;
  }
  ExpectEveryReaderAgrees(PathOf("replaced.cfb"), replaced);
}

TEST_F(CompoundFileInteropTest, AWordFileWeUpdatedReadsTheSameInOlefileAnd7z) {
  fs::copy_file(std::string(COMMONOBJECTS_SOURCE_DIR) + "/testdata/cfb/word-test18.doc", PathOf("w.doc"));
  StreamContents expected = ReadWithOlefile(PathOf("w.doc"));
  ASSERT_EQ(expected.size(), 11u);
  const StreamContents change = {{"AutomationData", PatternBytes(20000, 9)}, {"Data", PatternBytes(3, 8)}};
  WriteOurs(PathOf("w.doc"), change, 0x12);
  for (const auto& [name, content] : change) expected[name] = content;
  EXPECT_EQ(ReadWithOlefile(PathOf("w.doc")), expected);
  ExpectGsfReads(PathOf("w.doc"), "AutomationData", change.at("AutomationData"));
  Expect7zPasses(PathOf("w.doc"));
}

TEST_F(CompoundFileInteropTest, FilesThatGsfWritesReadTheSameInOurs) {
  RequireTool("/usr/bin/gsf", "libgsf-bin");
  for (const auto& [label, streams] :
       {std::pair{"sized", SizedStreams()}, {"many", [] {
                                               StreamContents many;
                                               for (int i = 0; i < 1500; ++i) many["m" + std::to_string(i)] = PatternBytes(i % 300, i);
                                               return many;
                                             }()}}) {
    const std::string file = PathOf(std::string(label) + ".cfb");
    readers_.WriteWithGsf(file, streams);
    Bytes bytes;
    ASSERT_TRUE(ReadWholeFile(file, &bytes).IsOk());
    StreamContents read;
    const StgStatus status = testsupport::ReadCompoundFile(bytes, &read);
    ASSERT_TRUE(status.IsOk()) << status.message;
    EXPECT_EQ(read, streams) << label;
    CompoundFileReport report;
    EXPECT_TRUE(CheckCompoundFile(file, &report)) << testing::PrintToString(report.errors);
  }
}

}  // namespace
}  // namespace commonobjects::platform
