// One 128-byte directory entry of a compound file: the name (UTF-16LE, its length in bytes
// counting the terminating zero), the type, the red-black colour, the three links of the
// sibling tree and the child tree, CLSID, state bits, times, first sector and size.
// Plain values and pure functions; thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "commonobjects/platform/internal/CfbHeader.h"

namespace commonobjects::platform::cfb {

enum EntryType : uint8_t { kUnusedEntry = 0, kStorageEntry = 1, kStreamEntry = 2, kRootEntry = 5 };
enum EntryColour : uint8_t { kRed = 0, kBlack = 1 };

struct CfbDirectoryEntry {
  std::u16string name;      // without the terminating zero
  bool nameValid = true;    // false when the stored length is odd, over 64 bytes, 0, or unterminated
  uint8_t type = kUnusedEntry;
  uint8_t colour = kBlack;
  uint32_t left = kNoEntry;
  uint32_t right = kNoEntry;
  uint32_t child = kNoEntry;
  std::array<uint8_t, 16> clsid{};
  uint32_t stateBits = 0;
  uint64_t created = 0;
  uint64_t modified = 0;
  uint32_t start = kEndOfChain;
  uint64_t size = 0;
};

// Decodes the entry at `bytes`. In version 3 only the low 32 bits of the size count: some
// old writers left garbage in the high ones.
CfbDirectoryEntry DecodeEntry(const uint8_t* bytes, bool version3);
// Encodes the entry into 128 bytes. An unused entry is all zeros but for its three links.
void EncodeEntry(const CfbDirectoryEntry& entry, uint8_t* bytes);

}  // namespace commonobjects::platform::cfb
