#include "CompressedChunks.h"

#include <zlib.h>

#include <memory>

#include "commonobjects/platform/ByteOrder.h"

namespace mixauto {

namespace platform = commonobjects::platform;

namespace {

// The chunk's stored bytes at `at`; false when they pass the end of the file.
bool ReadPacked(platform::RandomAccessFile& file, uint64_t at, uint32_t packed, std::vector<uint8_t>* in) {
  in->resize(packed);
  size_t got = 0;
  return file.ReadAt(at, in->data(), in->size(), &got).IsOk() && got == in->size();
}

// Whether zlib data expands to exactly `length` bytes.
bool ExpandsTo(const std::vector<uint8_t>& in, uint32_t length) {
  std::vector<uint8_t> out(length);
  uLongf produced = length;
  return uncompress(out.data(), &produced, in.data(), static_cast<uLong>(in.size())) == Z_OK && produced == length;
}

void CheckChunk(platform::RandomAccessFile& file, uint64_t at, uint32_t length, uint32_t packed, bool expand,
                std::string* problem) {
  std::vector<uint8_t> in;
  if (!ReadPacked(file, at, packed, &in)) {
    *problem = "its data passes the end of the file";
  } else if (expand && !ExpandsTo(in, length)) {
    *problem = "its zlib data does not expand to its stated length";
  }
}

}  // namespace

bool OpenCompressed(const std::string& native, CCompressedAutoFile& file, std::string* why) {
  std::unique_ptr<platform::RandomAccessFile> handle;
  const platform::FileStatus status =
      platform::OpenRandomAccessFile(native, platform::FileMode::kRead, platform::FileShare::kShared, &handle);
  if (!status.IsOk()) {
    *why = status.message;
    return false;
  }
  file.OpenFile(std::move(handle));
  if (!file.HeaderValid) *why = "the header is not valid (the magic must be exactly \"AUTXFILE\", at most 28 slots)";
  return file.HeaderValid;
}

ChunkWalk WalkChunks(platform::RandomAccessFile& file, const CompressedAutoSlotStructure& slot, bool expand) {
  ChunkWalk walk;
  uint64_t at = slot.Offset;
  for (uint32_t k = 1; k <= slot.ChunkCount && walk.problem.empty(); ++k) {
    uint8_t head[12];
    size_t got = 0;
    const std::string name = "chunk " + std::to_string(k) + " at offset " + std::to_string(at);
    if (!file.ReadAt(at, head, sizeof head, &got).IsOk() || got != sizeof head) {
      walk.problem = name + ": its header passes the end of the file";
      break;
    }
    const uint32_t number = platform::Load32(head), length = platform::Load32(head + 4), packed = platform::Load32(head + 8);
    std::string problem;
    if (number != k) problem = "numbered " + std::to_string(number);
    else if (length > CCompressedAutoFile::kChunkBytes) problem = "states " + std::to_string(length) + " bytes";
    else if (packed > CCompressedAutoFile::kMaxCompressedChunk) problem = "stores " + std::to_string(packed) + " bytes";
    else if (k < slot.ChunkCount && length != CCompressedAutoFile::kChunkBytes) problem = "is short but not the last";
    else CheckChunk(file, at + sizeof head, length, packed, expand, &problem);
    if (!problem.empty()) walk.problem = name + ": " + problem;
    walk.stored += sizeof head + packed;
    walk.expanded += length;
    at += sizeof head + packed;
  }
  return walk;
}

}  // namespace mixauto
