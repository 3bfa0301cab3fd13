#include <gtest/gtest.h>
#include <sys/wait.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/SystemTime.h"
#include "commonobjects/platform/WindowMessages.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace {

namespace fs = std::filesystem;
using commonobjects::platform::CompoundStorage;
using commonobjects::platform::CompoundStream;
using Bytes = std::vector<uint8_t>;
using Streams = std::map<std::string, Bytes>;

CAutomationEvent Event(int32_t time, int32_t path, uint8_t proc, uint8_t control, int16_t value,
                       uint8_t flags = 0, int16_t oldValue = 0) {
  CAutomationEvent e;
  e.Time = time, e.Path = path, e.Proc = proc, e.Control = control, e.Value = value;
  e.Flags = flags, e.OldValue = oldValue;
  return e;
}

std::vector<CAutomationEvent> Events(const CAutomationEventArray& a) { return {a.begin(), a.end()}; }

Bytes Le32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

// The 20-byte record of an event, field by field as doc/formats/event-array-file.md lays it out.
Bytes Record(const CAutomationEvent& e, bool widePath) {
  const auto path = static_cast<uint32_t>(e.Path);
  const uint32_t pathWord = widePath ? (path & 0xFFFF) | uint32_t{e.Proc} << 16 | uint32_t{e.Control} << 24
                                     : (path & 0xFF) | uint32_t{e.Proc} << 8 | uint32_t{e.Control} << 16;
  Bytes record;
  for (uint32_t field : {0x00010000u, static_cast<uint32_t>(e.Time), uint32_t{e.Flags}, pathWord,
                         uint32_t{static_cast<uint16_t>(e.OldValue)} | uint32_t{static_cast<uint16_t>(e.Value)} << 16}) {
    const Bytes b = Le32(field);
    record.insert(record.end(), b.begin(), b.end());
  }
  return record;
}

Bytes FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

class EventArrayFileTest : public testing::Test {
 protected:
  EventArrayFileTest() { UseMode(2); }

  // A large console (type 2) whose "Max Paths Mode" is `mode`; arrays built afterwards use it.
  void UseMode(uint32_t mode) {
    console_.emplace(2, static_cast<int32_t>(mode));
  }

  std::string Path(const std::string& name) const { return folder_.PathOf(name); }

  static CAutomationEventArray Sample() {
    CAutomationEventArray a;
    for (const CAutomationEvent& e : {Event(-5, 0, 14, 0, -200, 1, 7), Event(0, 300, 35, 8, 32767, 0xFF, -32768),
                                      Event(1000, 1999, 83, 3, -32768, 0x80, 12), Event(INT32_MAX, 255, 0, 0, 1)}) {
      a.Add(e);
    }
    return a;
  }

  // Replaces (or adds) streams of a compound file, creating the file when missing.
  static void WriteStreams(const std::string& path, const Streams& streams) {
    std::unique_ptr<CompoundStorage> storage;
    const bool exists = fs::exists(path);
    ASSERT_TRUE((exists ? CompoundStorage::Open(path, 0x12, &storage) : CompoundStorage::Create(path, 0x1012, &storage))
                    .IsOk());
    for (const auto& [name, bytes] : streams) {
      std::unique_ptr<CompoundStream> stream;
      ASSERT_TRUE(storage->CreateStream(name, 0x1012, &stream).IsOk());
      uint32_t written = 0;
      ASSERT_TRUE(stream->Write(bytes.data(), static_cast<uint32_t>(bytes.size()), &written).IsOk());
    }
    ASSERT_TRUE(storage->Release().IsOk());
  }

  static std::optional<Bytes> ReadStream(const std::string& path, const std::string& name) {
    std::unique_ptr<CompoundStorage> storage;
    std::unique_ptr<CompoundStream> stream;
    if (!CompoundStorage::Open(path, 0x10, &storage).IsOk() || !storage->OpenStream(name, 0x10, &stream).IsOk()) {
      return std::nullopt;
    }
    Bytes bytes(stream->Length());
    uint32_t got = 0;
    stream->Read(bytes.data(), static_cast<uint32_t>(bytes.size()), &got);
    return bytes;
  }

  testsupport::TempFolder folder_{"event-array-file"};
  std::optional<testsupport::TestConsole> console_;
};

TEST_F(EventArrayFileTest, EveryFieldSurvivesARoundTripWithinThePathWidthOfEachMode) {
  for (uint32_t mode : {0u, 1u, 2u}) {
    UseMode(mode);
    const std::string path = Path("mode" + std::to_string(mode) + ".mix");
    const CAutomationEventArray saved = Sample();
    ASSERT_EQ(saved.Save(path), 1);

    CAutomationEventArray loaded;
    loaded.Add(Event(1, 2, 3, 4, 5));  // replaced by the file's events
    int32_t fileMode = -7;
    ASSERT_EQ(loaded.Load(path, fileMode), 1) << mode;
    EXPECT_EQ(fileMode, static_cast<int32_t>(mode));
    std::vector<CAutomationEvent> expected = Events(saved);
    for (CAutomationEvent& e : expected) e.Path &= mode == 0 ? 0xFF : 0xFFFF;
    EXPECT_EQ(Events(loaded), expected) << "mode " << mode;
    EXPECT_EQ(loaded[1].Path, mode == 0 ? 44 : 300);
    EXPECT_EQ(ReadStream(path, "Path Mode"), Le32(mode));
  }
}

TEST_F(EventArrayFileTest, StreamsHoldTheRecordsVersionAndTimeByteForByte) {
  // 2024-03-05 06:07:08.009 UTC in a zone three hours east: local 09:07:08, a Tuesday.
  struct ScopedZone {
    ScopedZone() { setenv("TZ", "XST-3", 1), tzset(); }
    ~ScopedZone() { unsetenv("TZ"), tzset(); }
  } zone;
  commonobjects::platform::ScopedClockOverride clock(std::chrono::system_clock::time_point(
      std::chrono::milliseconds(1709618828009)));
  CAutomationEventArray a;
  a.Add(Event(0x01020304, 0x1A2B, 0x11, 0x22, -2, 0x85, 0x3344));
  ASSERT_EQ(a.Save(Path("wide.mix")), 1);
  EXPECT_EQ(ReadStream(Path("wide.mix"), "AutomationData"),
            (Bytes{0, 0, 1, 0, 4, 3, 2, 1, 0x85, 0, 0, 0, 0x2B, 0x1A, 0x11, 0x22, 0x44, 0x33, 0xFE, 0xFF}));
  ASSERT_EQ(CAutomationEventArray::SaveNarrowPathData(Path("narrow.mix"), "Other", a), 1);
  EXPECT_EQ(ReadStream(Path("narrow.mix"), "Other"),
            (Bytes{0, 0, 1, 0, 4, 3, 2, 1, 0x85, 0, 0, 0, 0x2B, 0x11, 0x22, 0, 0x44, 0x33, 0xFE, 0xFF}));
  EXPECT_EQ(ReadStream(Path("narrow.mix"), "Path Mode"), std::nullopt);

  // Eleven events: runs that the encoder may take several at a time, and a remainder.
  CAutomationEventArray run;
  for (int i = 0; i < 11; ++i) {
    run.Add(Event(i * 0x01030507 - 7, 0x12345 + i * 0x1111, static_cast<uint8_t>(0xA0 + i),
                  static_cast<uint8_t>(0x0F - i), static_cast<int16_t>(-1000 * i), static_cast<uint8_t>(0x80 | i),
                  static_cast<int16_t>(321 * i - 5000)));
    reinterpret_cast<unsigned char*>(&run[i])[13] = 0xA5;  // the padding after Flags stays out of the file
  }
  ASSERT_EQ(run.Save(Path("run.mix")), 1);
  ASSERT_EQ(CAutomationEventArray::SaveNarrowPathData(Path("run-narrow.mix"), "Other", run), 1);
  Bytes wide, narrow;
  for (const CAutomationEvent& e : run) {
    const Bytes w = Record(e, true), n = Record(e, false);
    wide.insert(wide.end(), w.begin(), w.end());
    narrow.insert(narrow.end(), n.begin(), n.end());
  }
  EXPECT_EQ(ReadStream(Path("run.mix"), "AutomationData"), wide);
  EXPECT_EQ(ReadStream(Path("run-narrow.mix"), "Other"), narrow);

  Bytes version{1, 4, 0, 0};
  for (int field : {8, 7, 9, 5, 2, 124, 2, 64, 0}) {  // sec min hour mday mon(0-11) year-1900 wday yday isdst
    const Bytes b = Le32(static_cast<uint32_t>(field));
    version.insert(version.end(), b.begin(), b.end());
  }
  EXPECT_EQ(ReadStream(Path("wide.mix"), "File Version"), version);
  EXPECT_EQ(ReadStream(Path("wide.mix"), "Time And Date"),
            (Bytes{0xE8, 7, 3, 0, 2, 0, 5, 0, 9, 0, 7, 0, 8, 0, 9, 0}));
}

TEST_F(EventArrayFileTest, AMode1FileLoadsUnderMode2ButNoWiderFileLoadsIntoANarrowerArray) {
  struct Case { uint32_t fileMode, arrayMode; int result; };
  const Case cases[] = {{1, 2, 1}, {2, 2, 1}, {1, 1, 1}, {2, 1, 0}, {1, 0, 0}, {2, 0, 0}, {0, 2, 1}, {0, 1, 1}};
  for (const Case& c : cases) {
    UseMode(c.fileMode);
    const std::string path = Path("file.mix");
    fs::remove(path);
    ASSERT_EQ(Sample().Save(path), 1);
    UseMode(c.arrayMode);
    CAutomationEventArray target;
    target.Add(Event(9, 9, 9, 9, 9));
    int32_t mode = -7;
    EXPECT_EQ(target.Load(path, mode), c.result) << c.fileMode << " into " << c.arrayMode;
    EXPECT_EQ(mode, static_cast<int32_t>(c.fileMode));
    EXPECT_EQ(target.GetSize(), c.result ? 4 : 1);
  }
}

TEST_F(EventArrayFileTest, FilesWithoutAUsablePathModeStream) {
  const std::string path = Path("old.mix");
  ASSERT_EQ(CAutomationEventArray::SaveNarrowPathData(path, "AutomationData", Sample()), 1);
  CAutomationEventArray loaded;
  int32_t mode = -7;
  EXPECT_EQ(loaded.Load(path, mode), 1);  // no "Path Mode": an 8-bit file of mode 0
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(loaded.GetSize(), 4);
  EXPECT_EQ(loaded[1].Path, 44);

  WriteStreams(path, {{"Path Mode", {}}});  // an empty stream reads as -1, which no array takes
  EXPECT_EQ(loaded.ReadPathMode(path, mode), 1);
  EXPECT_EQ(mode, -1);
  EXPECT_EQ(loaded.Load(path, mode), 0);
  EXPECT_EQ(mode, -1);
}

TEST_F(EventArrayFileTest, CompressedEventsOfVersions11And12ExpandThroughZlib) {
  CAutomationEventArray source = Sample();
  const std::string reference = Path("reference.mix");
  ASSERT_EQ(source.Save(reference), 1);
  const Bytes raw = *ReadStream(reference, "AutomationData");
  auto compressed = [](const Bytes& data, uint32_t stated) {
    uLongf size = compressBound(data.size());
    Bytes out(size);
    compress(out.data(), &size, data.data(), data.size());
    out.resize(size);
    const Bytes count = Le32(stated);
    out.insert(out.begin(), count.begin(), count.end());
    return out;
  };
  const Bytes packed = compressed(raw, static_cast<uint32_t>(raw.size()));

  // result 1 with 4 events: the source's; result 0 or no records: the array as it was.
  struct Case { const char* what; Bytes version; Bytes data; int result; int32_t size; };
  const Bytes damaged = [&] { Bytes d = packed; d[d.size() / 2] ^= 0x5A; return d; }();
  const auto packedRecords = static_cast<int32_t>(packed.size() / 20);
  ASSERT_GT(packedRecords, 1);
  ASSERT_NE(packedRecords, 4);  // would read like the source
  const Case cases[] = {
      {"1.2 expands", {1, 2}, packed, 1, 4},
      {"1.1 expands", {1, 1}, packed, 1, 4},
      {"1.4 reads raw", {1, 4}, raw, 1, 4},
      {"1.4 takes packed bytes as records", {1, 4}, packed, 1, packedRecords},
      {"count below one record", {1, 2}, compressed(raw, 19), 1, 1},
      {"shorter than its count", {1, 2}, compressed(raw, 100), 0, 1},
      {"longer than its count", {1, 2}, compressed(raw, 60), 0, 1},
      {"damaged zlib data", {1, 2}, damaged, 0, 1},
      {"impossible count", {1, 2}, compressed(raw, 0xFFFFFFF0), 0, 1},
  };
  for (const Case& c : cases) {
    const std::string path = Path("compressed.mix");
    fs::remove(path);
    WriteStreams(path, {{"Path Mode", Le32(2)}, {"File Version", c.version}, {"AutomationData", c.data}});
    CAutomationEventArray loaded;
    loaded.Add(Event(9, 9, 9, 9, 9));
    EXPECT_EQ(loaded.Load(path), c.result) << c.what;
    EXPECT_EQ(loaded.GetSize(), c.size) << c.what;
    if (c.size == 4) {
      EXPECT_EQ(Events(loaded), Events(source)) << c.what;
    } else if (c.size == 1) {
      EXPECT_EQ(loaded[0], Event(9, 9, 9, 9, 9)) << c.what;
    }
  }
}

TEST_F(EventArrayFileTest, AFailedLoadLeavesTheArrayAsItWas) {
  const std::string good = Path("good.mix");
  ASSERT_EQ(Sample().Save(good), 1);
  const std::string noEvents = Path("no-events.mix");
  WriteStreams(noEvents, {{"Path Mode", Le32(2)}, {"Other", {1, 2, 3}}});
  const std::string text = Path("text.mix");
  std::ofstream(text) << "not a compound file";
  const std::string cut = Path("cut.mix");
  Bytes head = FileBytes(good);
  head.resize(700);
  std::ofstream(cut, std::ios::binary).write(reinterpret_cast<const char*>(head.data()), 700);
  const std::string autx = Path("compressed.aut");
  {
    CCompressedAutoFile f;
    ASSERT_TRUE(f.OpenFile(autx));
    f.PathsMode = 2;
    f.CloseFile();
  }
  std::unique_ptr<CompoundStorage> holder;  // another opener holds the good file
  ASSERT_TRUE(CompoundStorage::Open(good, 0x10, &holder).IsOk());

  for (const std::string& path : {good, noEvents, text, cut, autx, Path("missing.mix"), Path("no/such/folder.mix")}) {
    CAutomationEventArray target;
    target.Add(Event(9, 9, 9, 9, 9));
    EXPECT_EQ(target.Load(path), 0) << path;
    EXPECT_EQ(Events(target), std::vector<CAutomationEvent>{Event(9, 9, 9, 9, 9)}) << path;
  }
  holder.reset();
  UseMode(1);  // a file of mode 2 into a mode-1 array
  CAutomationEventArray target;
  EXPECT_EQ(target.Load(good), 0);
  EXPECT_EQ(target.GetSize(), 0);
}

TEST_F(EventArrayFileTest, LoadSizesTheArrayAsItsOwnGrowthWould) {
  const std::string path = Path("100.mix");
  CAutomationEventArray saved;
  for (int32_t i = 0; i < 100; ++i) saved.Add(Event(i, i, 1, 2, 3));
  ASSERT_EQ(saved.Save(path), 1);
  struct Case { int32_t size, growBy; };
  for (const Case& c : {Case{0, 0}, Case{95, 0}, Case{95, 40}, Case{300, 0}, Case{10, 7}}) {
    CAutomationEventArray loaded, twin;
    loaded.SetSize(c.size, c.growBy);
    twin.SetSize(c.size, c.growBy);
    twin.SetSize(100);
    ASSERT_EQ(loaded.Load(path), 1);
    EXPECT_EQ(Events(loaded), Events(saved));
    EXPECT_EQ(loaded.GetCapacity(), twin.GetCapacity()) << c.size << "/" << c.growBy;
    EXPECT_EQ(loaded.GetGrowBy(), c.growBy);
  }
}

TEST_F(EventArrayFileTest, AMillionEventsComeBackInOrder) {
  CAutomationEventArray saved;
  saved.SetSize(1'000'003);  // a thirtieth spans several reads, and the last run is short
  for (int32_t i = 0; i < saved.GetSize(); ++i) saved[i] = Event(i, i % 2000, uint8_t(i), uint8_t(i >> 8), int16_t(i));
  ASSERT_EQ(saved.Save(Path("million.mix")), 1);
  CAutomationEventArray loaded;
  ASSERT_EQ(loaded.Load(Path("million.mix")), 1);
  EXPECT_TRUE(Events(loaded) == Events(saved));
}

TEST_F(EventArrayFileTest, SavingReplacesOnlyItsOwnStreamsAndKeepsTheOthers) {
  const std::string path = Path("mix.mix");
  WriteStreams(path, {{"PathMapPathMap", {1, 2, 3, 4}}, {"AutomationData", Bytes(40, 7)}});
  CAutomationEventArray one;
  one.Add(Event(5, 6, 7, 8, 9));
  ASSERT_EQ(one.Save(path), 1);
  EXPECT_EQ(ReadStream(path, "PathMapPathMap"), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(ReadStream(path, "AutomationData")->size(), 20u);

  const CAutomationEventArray empty;
  ASSERT_EQ(empty.Save(path), 1);
  EXPECT_EQ(ReadStream(path, "AutomationData"), Bytes{});
  CAutomationEventArray target = Sample();
  EXPECT_EQ(target.Load(path), 1);  // no records: the array keeps its events
  EXPECT_EQ(Events(target), Events(Sample()));
  EXPECT_EQ(ReadStream(path, "PathMapPathMap"), (Bytes{1, 2, 3, 4}));
}

TEST_F(EventArrayFileTest, SaveRefusesFilesItCannotStoreIntoAndLeavesThemUntouched) {
  const std::string text = Path("notes.txt");
  std::ofstream(text) << "a letter, not a mix";
  const std::string autx = Path("compressed.aut");
  {
    CCompressedAutoFile f;
    ASSERT_TRUE(f.OpenFile(autx));
    f.CloseFile();
  }
  const std::string held = Path("held.mix");
  ASSERT_EQ(Sample().Save(held), 1);
  std::unique_ptr<CompoundStorage> holder;
  ASSERT_TRUE(CompoundStorage::Open(held, 0x10, &holder).IsOk());

  const CAutomationEventArray a = Sample();
  for (const std::string& path : {text, autx, held}) {
    const Bytes before = FileBytes(path);
    EXPECT_EQ(a.Save(path), 0) << path;
    EXPECT_EQ(a.WritePathMode(path, 2), 0) << path;
    EXPECT_EQ(FileBytes(path), before) << path;
  }
  EXPECT_EQ(a.Save(Path("no/such/folder.mix")), 0);
  int32_t mode = -7;
  EXPECT_EQ(a.ReadPathMode(autx, mode), 1);  // the compressed form's header: version 2, mode 1
  EXPECT_EQ(mode, 1);
}

TEST_F(EventArrayFileTest, LoadPostsProgressWithoutAStatusWindow) {
  using commonobjects::platform::PostedMessage;
  commonobjects::platform::Endpoint status("TavmirStatusWindow");
  const uint32_t message = commonobjects::platform::RegisterMessage("Automation Event Notication");
  CAutomationEventArray a;
  for (int32_t i = 0; i < 65; ++i) a.Add(Event(i, i, 1, 2, 3));
  ASSERT_EQ(a.Save(Path("65.mix")), 1);
  std::vector<PostedMessage> expected{{message, 15, 0}, {message, 15, 50}};
  for (int32_t i = 0; i < 65; i += 2) expected.push_back({message, 15, i * 100 / 65});

  CAutomationEventArray loaded;
  status.Drain();
  ASSERT_EQ(loaded.Load(Path("65.mix")), 1);
  EXPECT_EQ(status.Drain(), expected);
  ASSERT_EQ(a.Save(Path("65.mix")), 1);
  EXPECT_TRUE(status.Drain().empty());  // saving posts nothing
}

TEST_F(EventArrayFileTest, WindowsNamesLiveOnTheWindowsDrive) {
  struct ScopedRoot {
    explicit ScopedRoot(const fs::path& root) { setenv("COMMONOBJECTS_ROOT", root.c_str(), 1); }
    ~ScopedRoot() { unsetenv("COMMONOBJECTS_ROOT"); }
  } root(folder_.Path());
  fs::create_directories(folder_.Path() / "Mixes");
  const CAutomationEventArray a = Sample();
  EXPECT_EQ(a.Save("C:\\Mixes\\reel 1.mix"), 1);
  EXPECT_TRUE(fs::exists(folder_.Path() / "Mixes" / "reel 1.mix"));
  CAutomationEventArray loaded;
  EXPECT_EQ(loaded.Load("c:/Mixes/reel 1.mix"), 1);
  EXPECT_EQ(Events(loaded), Events(a));
  EXPECT_EQ(a.Save("D:\\Mixes\\reel 1.mix"), 0);  // no such drive here
}

// mixauto's file commands, run as a user runs them.
struct CommandResult {
  int status = -1;
  std::string output;  // stdout and stderr together
};

CommandResult RunMixauto(const std::string& arguments) {
  const std::string command = std::string("COMMONOBJECTS_REGISTRY=/nonexistent/registry.reg '") + MIXAUTO_PATH +
                              "' " + arguments + " 2>&1";
  CommandResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, n);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

TEST_F(EventArrayFileTest, MixautoSavesTheDemoMixAndInspectsAndChecksTheFile) {
  if (RunMixauto("--help").output.find("save-demo") == std::string::npos) {
    GTEST_SKIP() << "this mixauto has no file commands";
  }
  const std::string mix = Path("demo.mix");
  const CommandResult saved = RunMixauto("save-demo '" + mix + "'");
  EXPECT_EQ(saved.status, 0) << saved.output;
  EXPECT_NE(saved.output.find("equal to the saved events"), std::string::npos) << saved.output;

  const CommandResult info = RunMixauto("info '" + mix + "'");
  EXPECT_EQ(info.status, 0) << info.output;
  EXPECT_NE(info.output.find("File version:  1.4"), std::string::npos) << info.output;
  const CommandResult csv = RunMixauto("dump --csv '" + mix + "'");
  const std::string head = "index,time,path,proc,control,value,old_value,flags\n0,0,0,14,0,-200,0,0\n";
  EXPECT_EQ(csv.output.substr(0, head.size()), head);
  EXPECT_EQ(RunMixauto("check '" + mix + "'").status, 0);

  Bytes bytes = FileBytes(mix);  // end the chain of the event stream after its fifth sector
  const size_t entry = (static_cast<size_t>(bytes[0x4C] | bytes[0x4D] << 8) + 1) * 512 + 4 * 5;
  const uint8_t endOfChain[4] = {0xFE, 0xFF, 0xFF, 0xFF};
  std::copy(std::begin(endOfChain), std::end(endOfChain), bytes.begin() + static_cast<long>(entry));
  std::ofstream(mix, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  const CommandResult check = RunMixauto("check '" + mix + "'");
  EXPECT_EQ(check.status, 1) << check.output;
  EXPECT_NE(check.output.find("error: container: "), std::string::npos) << check.output;
  const CommandResult missing = RunMixauto("dump '" + Path("missing.mix") + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find(Path("missing.mix") + ": no such file"), std::string::npos) << missing.output;
}

}  // namespace
