#include "commonobjects/files/internal/ChunkCodec.h"

#include <zlib.h>

#include <cstring>
#include <vector>

#if defined(COMMONOBJECTS_HAVE_LIBDEFLATE)
#include <libdeflate.h>
#endif

namespace commonobjects::files::internal {
namespace {

constexpr int kLevel = 1;

// What zlib's uncompress leaves; true when the stream expanded to exactly room bytes.
bool ZlibExpand(const uint8_t* in, uint32_t inLength, uint8_t* out, size_t room) {
  uLongf outLength = static_cast<uLongf>(room);
  return uncompress(out, &outLength, in, inLength) == Z_OK && outLength == room;
}

}  // namespace

#if defined(COMMONOBJECTS_HAVE_LIBDEFLATE)

const char* ChunkCodecName() { return "libdeflate"; }

struct ChunkCompressor::State {
  ~State() { libdeflate_free_compressor(compressor); }
  libdeflate_compressor* compressor = nullptr;
};

struct ChunkExpander::State {
  ~State() { libdeflate_free_decompressor(decompressor); }
  libdeflate_decompressor* decompressor = nullptr;
  std::vector<uint8_t> scratch;  // libdeflate's output, copied out only when sound
};

bool ChunkCompressor::Compress(const uint8_t* in, uint32_t length, uint8_t* out, size_t room,
                               size_t* outLength) {
  // Allocated on first use and again after a failure, as zlib allocates on every call.
  if (state_->compressor == nullptr) state_->compressor = libdeflate_alloc_compressor(kLevel);
  if (state_->compressor == nullptr) return false;
  *outLength = libdeflate_zlib_compress(state_->compressor, in, length, out, room);
  return *outLength != 0;
}

bool ChunkExpander::Expand(const uint8_t* in, uint32_t inLength, uint8_t* out, size_t room) {
  if (inLength == 0) return room == 0;  // no stream: zlib would write nothing
  if (state_->decompressor == nullptr) state_->decompressor = libdeflate_alloc_decompressor();
  if (state_->scratch.size() < room) state_->scratch.resize(room);
  size_t got = 0;
  if (state_->decompressor != nullptr &&
      libdeflate_zlib_decompress(state_->decompressor, in, inLength, state_->scratch.data(), room, &got) ==
          LIBDEFLATE_SUCCESS &&
      got == room) {
    std::memcpy(out, state_->scratch.data(), room);
    return true;
  }
  // Anything but a whole, sound chunk: libdeflate's output is undefined, so the destination
  // gets what zlib recovers and keeps its bytes beyond that, as readers always have seen.
  return ZlibExpand(in, inLength, out, room);
}

#else

const char* ChunkCodecName() { return "zlib"; }

struct ChunkCompressor::State {};
struct ChunkExpander::State {};

bool ChunkCompressor::Compress(const uint8_t* in, uint32_t length, uint8_t* out, size_t room,
                               size_t* outLength) {
  uLongf packed = static_cast<uLongf>(room);
  if (compress2(out, &packed, in, length, kLevel) != Z_OK) return false;
  *outLength = packed;
  return true;
}

bool ChunkExpander::Expand(const uint8_t* in, uint32_t inLength, uint8_t* out, size_t room) {
  if (inLength == 0) return room == 0;  // no stream: zlib would write nothing
  return ZlibExpand(in, inLength, out, room);
}

#endif

ChunkCompressor::ChunkCompressor() : state_(std::make_unique<State>()) {}
ChunkCompressor::~ChunkCompressor() = default;
ChunkExpander::ChunkExpander() : state_(std::make_unique<State>()) {}
ChunkExpander::~ChunkExpander() = default;

}  // namespace commonobjects::files::internal
