// Writes the seed mixes of the two mix fuzz targets: MixCorpusGenerator <corpus folder>
// fills <folder>/mix-structured and <folder>/mix-compressed.
//
// Every seed is a console choice byte (MixFuzzing.h) and a small mix the library wrote on
// that console, in one of the two forms, sometimes rewritten into what older or partial
// writers left: control records of snapshot versions 15 and 17 (20 and 27 words, 4 words on
// small consoles), a mix of 500 paths at version 21 for a console of 2000, streams or blocks
// left out, streams stored zlib-compressed under file version 1.2, a version-1 header. Mixes
// stay small (a few paths of parameters, gang maps left out) unless a seed needs a member
// whole to reach its code: the gang map relaid from 256 paths, the fader summary of a
// complete parameter block.
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "MixFuzzing.h"
#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/files/internal/EventRecords.h"
#include "commonobjects/files/internal/StreamIo.h"
#include "commonobjects/platform/ByteOrder.h"
#include "commonobjects/platform/CompoundFile.h"

namespace {

namespace files = commonobjects::files;
using commonobjects::platform::CompoundStorage;
using commonobjects::platform::MemoryFile;
using Bytes = std::vector<uint8_t>;
using SharedBytes = std::shared_ptr<Bytes>;

// Console choice bytes (MixFuzzing.h).
constexpr uint8_t kType3 = 0;
constexpr uint8_t kType6 = 1;
constexpr uint8_t kType2Mode1 = 3;
constexpr uint8_t kType2Mode0 = 4;

// A member's new bytes, or nullopt to leave it out.
using StreamEdit = std::function<std::optional<Bytes>(const std::string& name, const Bytes& bytes)>;
using BlockEdit = std::function<std::optional<Bytes>(int32_t number, const Bytes& bytes)>;

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "MixCorpusGenerator: %s\n", what.c_str());
  std::exit(1);
}

Bytes Word(uint32_t value) {
  Bytes bytes(4);
  commonobjects::platform::Store32(bytes.data(), value);
  return bytes;
}

// A sample mix kept small: parameters of 8 paths, a link map of 16, no gang map.
void FillSmallMix(CAutomationPackage& mix, int32_t events, int32_t records, bool wholeGangMap = false) {
  testsupport::FillSampleMix(mix, events, records);
  mix.ControlParms.SetSize(8 * MixLayout::kControlParmWordsPerPath);
  mix.RouteParms.SetSize(24);
  mix.LinkMap.SetSize(16);
  if (!wholeGangMap) mix.GangMap.RemoveAll();
}

Bytes SaveStructured(CAutomationPackage& mix) {
  auto bytes = std::make_shared<Bytes>();
  std::unique_ptr<CompoundStorage> storage;
  if (!CompoundStorage::Create(std::make_unique<MemoryFile>(bytes), &storage).IsOk() || mix.SaveTo(*storage) != 1 ||
      !storage->Release().IsOk()) {
    Die("structured save failed");
  }
  return *bytes;
}

Bytes SaveCompressed(CAutomationPackage& mix) {
  auto bytes = std::make_shared<Bytes>();
  CCompressedAutoFile file;
  if (!file.OpenFile(std::make_unique<MemoryFile>(bytes)) || mix.SaveTo(file) != 1 || !file.CloseFile()) {
    Die("compressed save failed");
  }
  return *bytes;
}

// The compound file with every root stream passed through `edit`.
Bytes RewriteStreams(const Bytes& file, const StreamEdit& edit) {
  std::unique_ptr<CompoundStorage> in;
  if (!CompoundStorage::Open(std::make_unique<MemoryFile>(std::make_shared<Bytes>(file)), files::kReadMode, &in)
           .IsOk()) {
    Die("cannot reopen a structured mix");
  }
  auto out = std::make_shared<Bytes>();
  std::unique_ptr<CompoundStorage> storage;
  if (!CompoundStorage::Create(std::make_unique<MemoryFile>(out), &storage).IsOk()) Die("create");
  for (const auto& entry : in->List()) {
    Bytes bytes;
    if (files::ReadWholeStream(*in, entry.name, &bytes) != files::StreamRead::kOk) Die("read " + entry.name);
    if (const std::optional<Bytes> edited = edit(entry.name, bytes)) {
      if (!files::WriteWholeStream(*storage, entry.name, edited->data(), edited->size())) Die("write " + entry.name);
    }
  }
  if (!storage->Release().IsOk()) Die("commit");
  return *out;
}

// The compressed file with every block passed through `edit`, header values kept.
Bytes RewriteBlocks(const Bytes& file, const BlockEdit& edit) {
  CCompressedAutoFile in;
  if (!in.OpenFile(std::make_unique<MemoryFile>(std::make_shared<Bytes>(file))) || !in.HeaderValid) Die("reopen");
  auto out = std::make_shared<Bytes>();
  CCompressedAutoFile written;
  if (!written.OpenFile(std::make_unique<MemoryFile>(out))) Die("create");
  for (const CompressedAutoSlotStructure& slot : in.Slots) {
    if (slot.BlockNumber < 0) continue;
    Bytes bytes(slot.Length);
    if (!in.ReadBlock(slot.BlockNumber, bytes.data(), bytes.size())) Die("read a block");
    if (const std::optional<Bytes> edited = edit(slot.BlockNumber, bytes)) {
      written.WriteBlock(slot.BlockNumber, edited->data(), edited->size());
    }
  }
  written.FrameRate = in.FrameRate, written.CutAB = in.CutAB, written.EventCount = in.EventCount;
  written.MixPassA = in.MixPassA, written.MixPassB = in.MixPassB, written.PathsMode = in.PathsMode;
  if (!written.CloseFile() || written.WriteFailed()) Die("close");
  return *out;
}

// Each record of recordBytes bytes cut to its first keptBytes: the old layouts keep the
// first words where the current one has them.
Bytes OldRecords(const Bytes& records, size_t recordBytes, size_t keptBytes) {
  Bytes old;
  for (size_t at = 0; at + recordBytes <= records.size(); at += recordBytes) {
    old.insert(old.end(), records.begin() + static_cast<long>(at), records.begin() + static_cast<long>(at + keptBytes));
  }
  return old;
}

bool EndsWith(const std::string& name, const std::string& suffix) {
  return name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Control slot streams in the layout of snapshot `version`, which the version stream states.
StreamEdit OldStructuredVersion(uint32_t version, size_t recordBytes, size_t keptBytes) {
  return [=](const std::string& name, const Bytes& bytes) -> std::optional<Bytes> {
    if (EndsWith(name, MixLayout::kControlSlotSuffix)) return OldRecords(bytes, recordBytes, keptBytes);
    if (name == "SnapshotVersionVectorData") return Word(version);
    return bytes;
  };
}

BlockEdit OldCompressedVersion(uint32_t version, size_t recordBytes, size_t keptBytes) {
  return [=](int32_t number, const Bytes& bytes) -> std::optional<Bytes> {
    for (int32_t block : MixLayout::kControlSlotBlocks) {
      if (number == block) return OldRecords(bytes, recordBytes, keptBytes);
    }
    if (number == MixLayout::kSnapshotVersionBlock) return Word(version);
    return bytes;
  };
}

// The stored form of versions 1.1 and 1.2: the byte count, then a zlib stream.
Bytes ZlibStored(const Bytes& bytes) {
  uLongf packed = compressBound(bytes.size());
  Bytes stored = Word(static_cast<uint32_t>(bytes.size()));
  stored.resize(4 + packed);
  if (compress(stored.data() + 4, &packed, bytes.data(), bytes.size()) != Z_OK) Die("zlib");
  stored.resize(4 + packed);
  return stored;
}

// A version-1 header: no paths mode, the slot count at 32 and the slots from 36.
Bytes VersionOneHeader(Bytes file) {
  commonobjects::platform::Store32(file.data() + 8, 1);
  std::copy(file.begin() + 36, file.begin() + 40 + 28 * 16, file.begin() + 32);
  return file;
}

void Write(const std::filesystem::path& folder, const std::string& name, uint8_t console, const Bytes& file) {
  std::filesystem::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.put(static_cast<char>(console));
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out) Die("cannot write " + (folder / name).string());
}

// Writes both forms of one mix built on `console` by `fill`, each edited as given.
struct Seed {
  std::string name;
  uint8_t builtOn;   // the console the mix is built and saved on
  uint8_t loadedOn;  // the console the fuzz input picks
  std::function<void(CAutomationPackage&)> fill;
  StreamEdit streams;  // null: as saved
  BlockEdit blocks;    // null: as saved
};

void WriteSeed(const std::filesystem::path& corpus, const Seed& seed) {
  Bytes structured;
  Bytes compressed;
  {
    const mixfuzz::InputConsole console(seed.builtOn);
    CAutomationPackage mix;
    mix.SetNotifyOnDestruction(false);
    seed.fill(mix);
    structured = SaveStructured(mix);
    compressed = SaveCompressed(mix);
  }
  if (seed.streams) structured = RewriteStreams(structured, seed.streams);
  if (seed.blocks) compressed = RewriteBlocks(compressed, seed.blocks);
  Write(corpus / "mix-structured", seed.name + ".mix", seed.loadedOn, structured);
  Write(corpus / "mix-compressed", seed.name + ".aut", seed.loadedOn, compressed);
}

std::optional<Bytes> Without(const std::vector<std::string>& names, const std::string& name, const Bytes& bytes) {
  for (const std::string& n : names) {
    if (n == name) return std::nullopt;
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) Die("usage: MixCorpusGenerator <corpus folder>");
  const std::filesystem::path corpus(argv[1]);
  const auto small = [](CAutomationPackage& mix) { FillSmallMix(mix, 40, 3); };
  const auto longer = [](CAutomationPackage& mix) { FillSmallMix(mix, 200, 3); };
  // Version 17 on 256 paths with the whole gang map, relaid when the console has more paths.
  const auto wholeGangMap = [](CAutomationPackage& mix) { FillSmallMix(mix, 40, 3, true); };
  const auto complete = [](CAutomationPackage& mix) {
    testsupport::FillSampleMix(mix, 100, 2);
    mix.GangMap.RemoveAll();
  };
  const size_t full = MixLayout::kFullControlRecordBytes;
  const size_t small4 = 16;
  const std::vector<Seed> seeds = {
      {"type3-current", kType3, kType3, small, nullptr, nullptr},
      {"type2-mode0-current", kType2Mode0, kType2Mode0, longer, nullptr, nullptr},
      {"type2-mode0-complete-parms", kType2Mode0, kType2Mode0, complete, nullptr, nullptr},
      {"type2-mode1-current", kType2Mode1, kType2Mode1, small, nullptr, nullptr},
      {"type6-current", kType6, kType6, small, nullptr, nullptr},
      {"snapshot15-on-type3", kType2Mode0, kType3, small, OldStructuredVersion(15, full, 80),
       OldCompressedVersion(15, full, 80)},
      {"snapshot17-on-type2-mode1", kType2Mode0, kType2Mode1, wholeGangMap, OldStructuredVersion(17, full, 108),
       OldCompressedVersion(17, full, 108)},
      {"snapshot21-500-paths-on-type3", kType2Mode1, kType3, small, OldStructuredVersion(21, full, full),
       OldCompressedVersion(21, full, full)},
      {"snapshot15-small-on-type6", kType6, kType6, small,
       OldStructuredVersion(15, MixLayout::kSmallControlRecordBytes, small4),
       OldCompressedVersion(15, MixLayout::kSmallControlRecordBytes, small4)},
      {"missing-members", kType2Mode0, kType2Mode0, small,
       [](const std::string& name, const Bytes& bytes) {
         return Without({"AutomationData", "Path Mode", "SnapshotVersionVectorData", "VirginsCtlData",
                         "TouchRteData", "ISSCCtrlParms", "Mix Pass"},
                        name, bytes);
       },
       [](int32_t number, const Bytes& bytes) -> std::optional<Bytes> {
         if (number == MixLayout::kEventsBlock || number == MixLayout::kSnapshotVersionBlock || number == 4 ||
             number == 12 || number == MixLayout::kControlParmsBlock) {
           return std::nullopt;
         }
         return bytes;
       }},
      {"events-only", kType2Mode0, kType3, longer,
       [](const std::string& name, const Bytes& bytes) -> std::optional<Bytes> {
         if (name == "AutomationData" || name == "Path Mode" || name == "File Version") return bytes;
         return std::nullopt;
       },
       [](int32_t number, const Bytes& bytes) -> std::optional<Bytes> {
         if (number == MixLayout::kEventsBlock) return bytes;
         return std::nullopt;
       }},
  };
  for (const Seed& seed : seeds) WriteSeed(corpus, seed);

  // Version 1.2: every member's stream zlib-compressed; the version, path mode and time
  // streams are read as they lie in every version.
  Bytes zlibStored;
  Bytes versionOne;
  {
    const mixfuzz::InputConsole console(kType2Mode0);
    CAutomationPackage mix;
    mix.SetNotifyOnDestruction(false);
    FillSmallMix(mix, 60, 2);
    zlibStored = RewriteStreams(SaveStructured(mix), [](const std::string& name, const Bytes& bytes) {
      if (name == files::kPathModeStream || name == files::kTimeAndDateStream) return bytes;
      if (name != files::kFileVersionStream) return ZlibStored(bytes);
      Bytes version = bytes;
      version[1] = 2;
      return version;
    });
    versionOne = VersionOneHeader(SaveCompressed(mix));
  }
  Write(corpus / "mix-structured", "v12-zlib-streams.mix", kType2Mode0, zlibStored);
  Write(corpus / "mix-compressed", "header-version-1.aut", kType2Mode0, versionOne);
  return 0;
}
