// Fuzz target: the compressed automation file reader, and a write over whatever it found.
//
// The input is a whole file. It is opened from memory; the header is read and every listed
// block is read into a buffer sized from its slot (at most 64 MB) and through both array
// conveniences. Then a block is appended to the same bytes and the file closed and opened
// again: the block must read back unchanged, whatever the table held before.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/platform/MemoryRegistryStore.h"

namespace {

using commonobjects::platform::MemoryFile;
using commonobjects::platform::MemoryRegistryStore;
using commonobjects::platform::RegistryValue;
using commonobjects::platform::ScopedRegistryOverride;

constexpr size_t kMaxBuffer = 64u << 20;

// No pause after each chunk and no dependence on the registry of the machine.
void UseQuietRegistry() {
  static const auto store = [] {
    auto s = std::make_shared<MemoryRegistryStore>();
    s->SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\QRXTARN\\QENSERVER", "CompressedAutoPauseMs",
                RegistryValue::Dword(0));
    return s;
  }();
  static const ScopedRegistryOverride guard(store);
}

void ReadEverything(CCompressedAutoFile& file) {
  // One buffer for every input; each destination ends where the buffer ends, so a write past
  // it is caught. Pages never written are never touched.
  static const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(kMaxBuffer);
  for (const CompressedAutoSlotStructure& slot : file.Slots) {
    if (slot.BlockNumber < 0) continue;
    const size_t size = std::min<size_t>(slot.Length, kMaxBuffer);
    file.ReadBlock(slot.BlockNumber, buffer.get() + kMaxBuffer - size, size);
    CWordArray words;
    CIntArray ints;
    file.ReadArray(slot.BlockNumber, words);
    file.ReadArray(slot.BlockNumber, ints);
  }
}

// Appends the input's tail as one block (compressed when long enough) and reads it back.
void WriteAndReadBack(const std::shared_ptr<std::vector<uint8_t>>& bytes, const uint8_t* data, size_t size) {
  const int32_t number = data[0] % 32;
  const std::vector<uint8_t> block(data + size - std::min<size_t>(size, 3000), data + size);
  bool stored = false;
  {
    CCompressedAutoFile file;
    file.OpenFile(std::make_unique<MemoryFile>(bytes));
    stored = file.FindSlot(number) >= 0;
    file.WriteBlock(number, block.data(), block.size());
    file.CloseFile();
  }
  CCompressedAutoFile file;
  file.OpenFile(std::make_unique<MemoryFile>(bytes));
  std::vector<uint8_t> back(block.size());
  const bool read = file.ReadBlock(number, back.data(), back.size());
  if (stored && (!read || back != block)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  UseQuietRegistry();
  auto bytes = std::make_shared<std::vector<uint8_t>>(data, data + size);
  {
    MemoryFile probe(bytes);
    static_cast<void>(IsCompressedAutoFile(probe));
    CCompressedAutoFile file;
    file.OpenFile(std::make_unique<MemoryFile>(bytes));
    ReadEverything(file);
  }
  if (size > 0) WriteAndReadBack(bytes, data, size);
  return 0;
}
