// The chunks of a compressed automation file, walked and expanded independently of the
// library's reader: info and check report what each block stores and whether its chunks
// expand whole. Used from the main thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commonobjects/files/CompressedAutoFile.h"
#include "commonobjects/platform/RandomAccessFile.h"

namespace mixauto {

// The file at the native path opened for reading only, so that inspecting it never writes a
// header. False, with *why, when it cannot be opened or its header is not valid.
bool OpenCompressed(const std::string& native, CCompressedAutoFile& file, std::string* why);

// What the chunks of a compressed block hold, walked from its offset.
struct ChunkWalk {
  uint64_t stored = 0;    // bytes in the file, chunk headers included
  uint64_t expanded = 0;  // uncompressed bytes the chunk headers state
  std::string problem;    // the first defect, or ""
};

// The block's chunks, numbered 1, 2, ... as a writer numbers them; with `expand`, each one's
// zlib data is expanded and must give exactly the length its header states.
ChunkWalk WalkChunks(commonobjects::platform::RandomAccessFile& file, const CompressedAutoSlotStructure& slot,
                     bool expand);

}  // namespace mixauto
