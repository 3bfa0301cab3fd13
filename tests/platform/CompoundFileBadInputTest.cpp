// Damaged files fail cleanly: a result code, never a crash, in bounded time, and writing
// into a damaged file that still opens never loses a stream that could be read before.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/internal/CfbContainer.h"
#include "commonobjects/platform/internal/CfbNames.h"
#include "support/CfbBuilder.h"

namespace commonobjects::platform {
namespace {

using testsupport::Bytes;
using testsupport::CfbEditor;
using testsupport::PatternBytes;
using testsupport::StreamContents;
using namespace testsupport;

constexpr uint32_t kEnd = 0xFFFFFFFE;

const StreamContents& BaseStreams() {
  static const StreamContents streams = {{"Big", PatternBytes(10000, 1)},
                                         {"Small", PatternBytes(100, 2)},
                                         {"Small2", PatternBytes(300, 3)},
                                         {"Empty", {}}};
  return streams;
}

const Bytes& BaseFile() {
  static const Bytes bytes = BuildCompoundFile(BaseStreams());
  return bytes;
}

StgStatus::Code OpenCode(const Bytes& bytes, uint32_t mode) {
  std::unique_ptr<CompoundStorage> storage;
  return CompoundStorage::Open(std::make_unique<MemoryFile>(std::make_shared<Bytes>(bytes)), mode, &storage).code;
}

// Reads everything, checks, and saves into the bytes; returns the reader's result. Whatever
// a damaged file holds, this must return in bounded time without crashing.
StgStatus::Code Exercise(const Bytes& bytes, const std::string& what) {
  const auto started = std::chrono::steady_clock::now();
  StreamContents before;
  const StgStatus read = ReadCompoundFile(bytes, &before);
  MemoryFile checked(std::make_shared<Bytes>(bytes));
  CompoundFileReport report;
  // (A name with no Windows-1252 form cannot be opened by its narrow name: kNotFound.)
  if (CheckCompoundFile(checked, &report) && read.code != StgStatus::kNotFound) {
    EXPECT_TRUE(read.IsOk()) << what << ": the check passed a file that does not read: " << read.message;
  }
  auto saved = std::make_shared<Bytes>(bytes);
  std::unique_ptr<CompoundStorage> storage;
  if (CompoundStorage::Open(std::make_unique<MemoryFile>(saved), 0x12, &storage).IsOk()) {
    std::unique_ptr<CompoundStream> stream;
    uint32_t written = 0;
    bool ok = storage->CreateStream("Small2", 0x1012, &stream).IsOk() && stream->Write("new", 3, &written).IsOk();
    stream.reset();
    ok = storage->Release().IsOk() && ok;
    StreamContents after;
    if (ok && read.IsOk() && ReadCompoundFile(*saved, &after).IsOk()) {
      before["Small2"] = {'n', 'e', 'w'};
      EXPECT_EQ(after, before) << what << ": saving into the file changed other streams";
    } else if (ok && read.IsOk()) {
      ADD_FAILURE() << what << ": a save into a readable file left it unreadable";
    }
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << what;
  return read.code;
}

struct Damage {
  const char* what;
  std::function<void(CfbEditor&)> apply;
  StgStatus::Code openForReading;  // the result of opening; kOk when reading a stream fails later
  StgStatus::Code reading;         // the result of opening and reading every stream
};

uint32_t Id(CfbEditor& e, const char* name) { return e.EntryId(name); }
std::vector<uint32_t> ChainOf(CfbEditor& e, const char* name) { return e.Chain(e.EntryStart(Id(e, name))); }
std::vector<uint32_t> MiniChainOf(CfbEditor& e, const char* name) {
  std::vector<uint32_t> chain;
  for (uint32_t m = e.EntryStart(Id(e, name)); m < 0xFFFFFFFA && chain.size() < 100; m = e.MiniFat(m)) chain.push_back(m);
  return chain;
}
void SetEntry32(CfbEditor& e, const char* name, size_t field, uint32_t value) { e.Set32(e.EntryOffset(Id(e, name)) + field, value); }

TEST(CompoundFileBadInputTest, DamagedStructuresFailCleanly) {
  const StgStatus::Code kCorrupt = StgStatus::kCorrupt, kOk = StgStatus::kOk;
  const Damage damages[] = {
      {"no signature", [](CfbEditor& e) { e.Set32(0, 0); }, StgStatus::kNotCompoundFile, StgStatus::kNotCompoundFile},
      {"byte order", [](CfbEditor& e) { e.Set16(28, 0xFEFF); }, kCorrupt, kCorrupt},
      {"major version 5", [](CfbEditor& e) { e.Set16(kHeaderMajorVersion, 5); }, kCorrupt, kCorrupt},
      {"sector shift 40", [](CfbEditor& e) { e.Set16(kHeaderSectorShift, 40); }, kCorrupt, kCorrupt},
      {"sector shift 0", [](CfbEditor& e) { e.Set16(kHeaderSectorShift, 0); }, kCorrupt, kCorrupt},
      {"sector shift 12 in version 3", [](CfbEditor& e) { e.Set16(kHeaderSectorShift, 12); }, kCorrupt, kCorrupt},
      {"mini sector shift 7", [](CfbEditor& e) { e.Set16(kHeaderMiniSectorShift, 7); }, kCorrupt, kCorrupt},
      {"mini stream cutoff 0", [](CfbEditor& e) { e.Set32(kHeaderMiniCutoff, 0); }, kCorrupt, kCorrupt},
      {"FAT count 2^32-1", [](CfbEditor& e) { e.Set32(kHeaderFatCount, 0xFFFFFFFF); }, kCorrupt, kCorrupt},
      {"FAT count 0", [](CfbEditor& e) { e.Set32(kHeaderFatCount, 0); }, kCorrupt, kCorrupt},
      {"FAT sector past the end", [](CfbEditor& e) { e.Set32(kHeaderDifat, 100000); }, kCorrupt, kCorrupt},
      {"FAT sector is a marker", [](CfbEditor& e) { e.Set32(kHeaderDifat, 0xFFFFFFFE); }, kCorrupt, kCorrupt},
      {"DIFAT count 2^32-1", [](CfbEditor& e) { e.Set32(kHeaderDifatCount, 0xFFFFFFFF); }, kOk, kOk},
      {"directory past the end", [](CfbEditor& e) { e.Set32(kHeaderFirstDirectory, 1000000); }, kCorrupt, kCorrupt},
      {"directory chain loops",
       [](CfbEditor& e) { e.SetFat(e.Get32(kHeaderFirstDirectory), e.Get32(kHeaderFirstDirectory)); }, kCorrupt, kCorrupt},
      {"mini FAT past the end", [](CfbEditor& e) { e.Set32(kHeaderFirstMiniFat, 99999); }, kCorrupt, kCorrupt},
      {"mini FAT chain loops",
       [](CfbEditor& e) { e.SetFat(e.Get32(kHeaderFirstMiniFat), e.Get32(kHeaderFirstMiniFat)); }, kCorrupt, kCorrupt},
      {"mini FAT count 2^32-1", [](CfbEditor& e) { e.Set32(kHeaderMiniFatCount, 0xFFFFFFFF); }, kOk, kOk},
      {"stream chain loops early", [](CfbEditor& e) { e.SetFat(ChainOf(e, "Big")[5], ChainOf(e, "Big")[2]); }, kOk, kCorrupt},
      {"stream chain loops at once", [](CfbEditor& e) { e.SetFat(ChainOf(e, "Big")[0], ChainOf(e, "Big")[0]); }, kOk, kCorrupt},
      {"stream chain shorter than the size", [](CfbEditor& e) { e.SetFat(ChainOf(e, "Big")[5], kEnd); }, kOk, kCorrupt},
      {"stream chain longer than the size", [](CfbEditor& e) { SetEntry32(e, "Big", kEntrySize, 5000); }, kOk, kOk},
      {"stream chain runs past the end", [](CfbEditor& e) { e.SetFat(ChainOf(e, "Big")[3], 5000000); }, kOk, kCorrupt},
      {"stream chain meets a free sector", [](CfbEditor& e) { e.SetFat(ChainOf(e, "Big")[3], 0xFFFFFFFF); }, kOk, kCorrupt},
      {"stream size 2^32-1", [](CfbEditor& e) { SetEntry32(e, "Big", kEntrySize, 0xFFFFFFFF); }, kOk, kCorrupt},
      {"stream starts past the end", [](CfbEditor& e) { SetEntry32(e, "Big", kEntryStart, 0xFFFFFFF0); }, kOk, kCorrupt},
      {"mini chain loops", [](CfbEditor& e) { e.SetMiniFat(MiniChainOf(e, "Small")[0], MiniChainOf(e, "Small")[0]); }, kOk, kCorrupt},
      {"mini chain shorter than the size", [](CfbEditor& e) { e.SetMiniFat(MiniChainOf(e, "Small")[0], kEnd); }, kOk, kCorrupt},
      {"mini chain past the mini stream", [](CfbEditor& e) { SetEntry32(e, "Small", kEntryStart, 5000); }, kOk, kCorrupt},
      {"mini stream past the end", [](CfbEditor& e) { SetEntry32(e, "Root Entry", kEntryStart, 999999); }, kCorrupt, kCorrupt},
      {"mini stream size 2^31-1", [](CfbEditor& e) { SetEntry32(e, "Root Entry", kEntrySize, 0x7FFFFFFF); }, kCorrupt, kCorrupt},
      {"mini stream shorter than its streams", [](CfbEditor& e) { SetEntry32(e, "Root Entry", kEntrySize, 64); }, kOk, kCorrupt},
      {"tree loops to itself", [](CfbEditor& e) { SetEntry32(e, "Big", kEntryLeft, Id(e, "Big")); }, kCorrupt, kCorrupt},
      {"tree loops to the root", [](CfbEditor& e) { SetEntry32(e, "Big", kEntryRight, 0); }, kCorrupt, kCorrupt},
      {"tree links past the last entry", [](CfbEditor& e) { SetEntry32(e, "Big", kEntryLeft, 5000); }, kCorrupt, kCorrupt},
      {"stream with a child tree", [](CfbEditor& e) { SetEntry32(e, "Big", kEntryChild, Id(e, "Small")); }, kOk, kOk},
      {"odd name length", [](CfbEditor& e) { e.Set16(e.EntryOffset(Id(e, "Big")) + kEntryNameLength, 7); }, kCorrupt, kCorrupt},
      {"name length 66", [](CfbEditor& e) { e.Set16(e.EntryOffset(Id(e, "Big")) + kEntryNameLength, 66); }, kCorrupt, kCorrupt},
      {"name length 0", [](CfbEditor& e) { e.Set16(e.EntryOffset(Id(e, "Big")) + kEntryNameLength, 0); }, kCorrupt, kCorrupt},
      {"name unterminated", [](CfbEditor& e) { e.Set16(e.EntryOffset(Id(e, "Big")) + kEntryNameLength, 6); }, kCorrupt, kCorrupt},
      {"unused entry in a tree", [](CfbEditor& e) { e.Set16(e.EntryOffset(Id(e, "Big")) + kEntryType, 0); }, kCorrupt, kCorrupt},
      {"second root in a tree", [](CfbEditor& e) { e.Set16(e.EntryOffset(Id(e, "Big")) + kEntryType, 5); }, kCorrupt, kCorrupt},
      {"first entry not the root", [](CfbEditor& e) { e.Set16(e.EntryOffset(0) + kEntryType, 1); }, kCorrupt, kCorrupt},
      {"names out of tree order",
       [](CfbEditor& e) {
         const size_t at = e.EntryOffset(Id(e, "Big"));
         for (int i = 0; i < 7; ++i) e.Set16(at + 2 * i, 'Z');
         e.Set16(at + kEntryNameLength, 16);
       },
       kOk, kOk},
      {"two streams of one name",
       [](CfbEditor& e) {
         const size_t at = e.EntryOffset(Id(e, "Small2"));
         e.Set16(at + 10, 0);
         e.Set16(at + kEntryNameLength, 12);
       },
       kCorrupt, kCorrupt},
  };
  for (const Damage& damage : damages) {
    CfbEditor editor(BaseFile());
    damage.apply(editor);
    EXPECT_EQ(OpenCode(editor.bytes(), 0x10), damage.openForReading) << damage.what;
    EXPECT_EQ(Exercise(editor.bytes(), damage.what), damage.reading) << damage.what;
    MemoryFile file(std::make_shared<Bytes>(editor.bytes()));
    CompoundFileReport report;
    EXPECT_FALSE(CheckCompoundFile(file, &report)) << damage.what << ": the check found nothing";
  }
}

TEST(CompoundFileBadInputTest, WritingRefusesFilesWhoseChainsCouldShareSectors) {
  CfbEditor longer(BaseFile());
  SetEntry32(longer, "Big", kEntrySize, 5000);
  EXPECT_EQ(OpenCode(longer.bytes(), 0x12), StgStatus::kCorrupt);
  CfbEditor shared(BaseFile());
  SetEntry32(shared, "Small2", kEntryStart, shared.EntryStart(Id(shared, "Small")));
  SetEntry32(shared, "Small2", kEntrySize, 100);
  EXPECT_EQ(OpenCode(shared.bytes(), 0x10), StgStatus::kOk);
  EXPECT_EQ(OpenCode(shared.bytes(), 0x12), StgStatus::kCorrupt);
}

TEST(CompoundFileBadInputTest, DamagedDifatFailsCleanly) {
  // More FAT sectors than the header lists: the DIFAT chain is in use.
  static const Bytes base = BuildCompoundFile({{"Huge", PatternBytes(7500000, 1)}});
  CfbEditor loop(base);
  loop.Set32(kHeaderFatCount, 109 + 127 + 5);
  loop.Set32(kHeaderDifatCount, 2);
  const uint32_t difat = loop.Get32(kHeaderFirstDifat);
  loop.Set32(loop.SectorOffset(difat) + 508, difat);
  CfbEditor missing(base);
  missing.Set32(kHeaderFirstDifat, 99999999);
  CfbEditor tooFew(base);
  tooFew.Set32(kHeaderDifatCount, 0);
  for (const auto& [what, editor] : {std::pair{"DIFAT loop", &loop}, {"DIFAT past the end", &missing}, {"DIFAT count too small", &tooFew}}) {
    EXPECT_EQ(OpenCode(editor->bytes(), 0x10), StgStatus::kCorrupt) << what;
    MemoryFile file(std::make_shared<Bytes>(editor->bytes()));
    CompoundFileReport report;
    EXPECT_FALSE(CheckCompoundFile(file, &report)) << what;
  }
}

TEST(CompoundFileBadInputTest, HugeSizesInVersion4FilesDoNotOverflow) {
  auto bytes = std::make_shared<Bytes>();
  std::unique_ptr<cfb::CfbContainer> container;
  ASSERT_TRUE(cfb::CfbContainer::Initialize(std::make_unique<MemoryFile>(bytes), &container, 4).IsOk());
  uint32_t node = 0;
  const Bytes content = PatternBytes(9000, 1);
  ASSERT_TRUE(container->CreateStream(0, u"Big", &node).IsOk());
  ASSERT_TRUE(container->WriteStream(node, 0, content.data(), content.size()).IsOk());
  ASSERT_TRUE(container->Close().IsOk());
  for (uint64_t size : {~0ull, ~0ull - 4000, 1ull << 63, 1ull << 32}) {
    CfbEditor editor(*bytes);
    editor.Set64(editor.EntryOffset(Id(editor, "Big")) + kEntrySize, size);
    EXPECT_EQ(Exercise(editor.bytes(), "size " + std::to_string(size)), StgStatus::kCorrupt) << size;
  }
}

TEST(CompoundFileBadInputTest, TruncatedFilesFailOrReadWhatTheyHold) {
  const Bytes& base = BaseFile();
  for (size_t size : {size_t{0}, size_t{100}, size_t{511}, size_t{512}, size_t{1000}, base.size() / 2,
                      base.size() - 512, base.size() - 1}) {
    Bytes cut(base.begin(), base.begin() + size);
    StreamContents read;
    const StgStatus status = ReadCompoundFile(cut, &read);
    if (status.IsOk()) {
      EXPECT_EQ(read, BaseStreams()) << size;
    }
    EXPECT_EQ(status.code == StgStatus::kNotCompoundFile, size < 512) << size << ": " << status.message;
    Exercise(cut, "cut at " + std::to_string(size));
  }
}

TEST(CompoundFileBadInputTest, EveryFlippedByteFailsCleanlyOrKeepsStreamsWhole) {
  const Bytes& base = BaseFile();
  for (size_t at = 0; at < base.size(); ++at) {
    Bytes flipped = base;
    flipped[at] ^= 0xA5;
    Exercise(flipped, "byte " + std::to_string(at));
  }
}

}  // namespace
}  // namespace commonobjects::platform
