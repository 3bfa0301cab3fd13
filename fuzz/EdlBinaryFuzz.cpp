// Fuzz target: the binary edit decision list.
//
// The first byte picks the magic ("QRX HDRNEW" when even, the older "QRX HEADER" when
// odd); the rest follows it. Whatever reads is written again with the same header kind
// and read back: settings, reel table and events must come back equal. Lengths and counts
// in the input larger than the file must be refused, never allocated (ASan's allocation
// limit catches them).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "FuzzFile.h"
#include "commonobjects/conform/EDLReader.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

namespace {

struct ReadBack {
  CTimecodeSettings settings;
  CReelTable reels;
  int32_t header = 0;
  std::vector<std::pair<CSourceDestItem, CSourceDestItem>> events;
};

ReadBack ReadAll(const std::string& path) {
  ReadBack read;
  CEDLReader reader(path, CEDLReader::kGeneric);
  if (!reader.Open()) std::abort();
  read.header = reader.ReadHeader(read.settings, read.reels);
  CEDLTimecodeBlock tc;
  CSourceDestItem source, dest;
  while (reader.ReadEvent(tc, source, dest) == 1) read.events.emplace_back(source, dest);
  return read;
}

bool SameSettings(const CTimecodeSettings& a, const CTimecodeSettings& b) {
  return a.RateCode == b.RateCode && a.SampleRate == b.SampleRate && a.FilmFramesPerSecond == b.FilmFramesPerSecond &&
         a.FilmFramesPerFoot == b.FilmFramesPerFoot && a.FilmEquivalence == b.FilmEquivalence &&
         a.FeetFrames == b.FeetFrames && a.CodeConvert == b.CodeConvert && a.FeetFramesConvert == b.FeetFramesConvert;
}

bool SameEvent(const std::pair<CSourceDestItem, CSourceDestItem>& a, const std::pair<CSourceDestItem, CSourceDestItem>& b) {
  const CEDLEditDetail& x = *a.second.Detail;
  const CEDLEditDetail& y = *b.second.Detail;
  return a.first.Start == b.first.Start && a.first.Length == b.first.Length && a.second.Start == b.second.Start &&
         a.second.Length == b.second.Length && x.Transition == y.Transition && x.Video == y.Video &&
         x.TrackMask == y.TrackMask && x.ReelName == y.ReelName && x.ReelIndex == y.ReelIndex && x.Text1 == y.Text1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const commonobjects::platform::ScopedRegistryOverride registry(
      std::make_shared<commonobjects::platform::MemoryRegistryStore>());
  static fuzzing::FuzzFile input(".edl");
  static fuzzing::FuzzFile output("-again.edl");
  if (size < 1) return 0;
  const bool old = (data[0] & 1) != 0;
  const ReadBack first = ReadAll(input.Write(old ? CEDLReader::kOldMagic : CEDLReader::kMagic, data + 1, size - 1));
  if (first.header != CEDLReader::kBinaryHeader) {
    if (first.header != CEDLReader::kEndOfFile || !first.events.empty()) std::abort();
    return 0;
  }
  {
    CEDLReader writer(output.Path(), CEDLReader::kGeneric);
    if (!writer.Create()) std::abort();
    writer.WriteHeader(first.settings, first.reels, old);
    for (const auto& event : first.events) writer.WriteEvent(event.first, event.second);
    if (!writer.Close()) std::abort();
  }
  const ReadBack again = ReadAll(output.Path());
  if (again.header != CEDLReader::kBinaryHeader || !SameSettings(first.settings, again.settings) ||
      !(first.reels == again.reels) || first.events.size() != again.events.size()) {
    std::abort();
  }
  for (size_t i = 0; i < first.events.size(); ++i) {
    if (!SameEvent(first.events[i], again.events[i])) std::abort();
  }
  return 0;
}
