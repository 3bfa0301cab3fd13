// Fuzz target: a mix loaded from a compressed automation file, saved again and reloaded.
//
// The input is a console choice byte, then the file (see MixFuzzing.h). The file is opened
// from memory and loaded into a new package with LoadFrom, converting old snapshot versions
// and max paths modes as a load does. Whatever loads is saved into a new compressed file in
// memory, closed, and loaded into another package: besides the sanitizers, the save must
// succeed and every member must come back as it was saved. The frame rate and cut A/B are
// header values that a save takes from the console, not from the mix: they must come back
// as the console's.
//
// The corpus (fuzz/corpus/mix-compressed/, written by MixCorpusGenerator) holds current
// mixes of console types 3, 2 (modes 0 and 1) and 6 with raw and compressed blocks, mixes of
// snapshot versions 15, 17 and 21 to be converted, files that lack blocks, and a file with a
// version-1 header.
#include <cstdint>
#include <memory>
#include <vector>

#include "MixFuzzing.h"
#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/timecode/TimecodeConverter.h"

namespace {

using commonobjects::platform::MemoryFile;
using Bytes = std::vector<uint8_t>;

void CheckRoundTrip(CAutomationPackage& mix) {
  auto bytes = std::make_shared<Bytes>();
  {
    CCompressedAutoFile file;
    if (!file.OpenFile(std::make_unique<MemoryFile>(bytes))) mixfuzz::Fail("create");
    if (mix.SaveTo(file) != 1) mixfuzz::Fail("SaveTo failed");
    if (!file.CloseFile() || file.WriteFailed()) mixfuzz::Fail("close failed");
  }
  CCompressedAutoFile file;
  if (!file.OpenFile(std::make_unique<MemoryFile>(bytes))) mixfuzz::Fail("reopen");
  CAutomationPackage again;
  again.SetNotifyOnDestruction(false);
  again.LoadFrom(file);
  mixfuzz::ExpectSameMix(mix, again, {"FrameRate", "CutAB"});
  if (again.FrameRate.GetSize() != 1 || again.FrameRate[0] != static_cast<uint32_t>(GetTimecodeFramesPerSecond())) {
    mixfuzz::Fail("the frame rate is not the console's");
  }
  const auto muteAB = static_cast<uint32_t>(CConsoleConfiguration::GetMuteABPath());
  if (again.HasSmallSlots() && (again.CutAB.GetSize() != 1 || again.CutAB[0] != muteAB)) {
    mixfuzz::Fail("cut A/B is not the console's");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const mixfuzz::InputConsole console(data[0]);
  auto bytes = std::make_shared<Bytes>(data + 1, data + size);
  CAutomationPackage mix;
  mix.SetNotifyOnDestruction(false);
  {
    CCompressedAutoFile file;
    if (!file.OpenFile(std::make_unique<MemoryFile>(bytes))) return 0;
    mix.LoadFrom(file);
  }
  if (mix.GetLoadReport().Opened) CheckRoundTrip(mix);
  return 0;
}
