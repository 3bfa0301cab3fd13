// The codec of the compressed automation file's chunks: a zlib stream (RFC 1950) per chunk
// of at most 256 KiB, at level 1 ("fastest" in the stream header), readable by zlib's
// uncompress and by every reader of the format.
//
// Built with COMMONOBJECTS_HAVE_LIBDEFLATE, chunks are compressed and expanded with
// libdeflate, which on recorded mixes is about twice as fast as zlib both ways and stores
// slightly fewer bytes; otherwise with zlib's compress2 and uncompress. Either way what a
// damaged chunk expands to is exactly what zlib's uncompress leaves. Private to files/.
// An object is used by one thread; it holds its codec state from the first call until destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace commonobjects::files::internal {

// "zlib" or "libdeflate": which library makes the streams.
const char* ChunkCodecName();

class ChunkCompressor {
 public:
  ChunkCompressor();
  ~ChunkCompressor();
  ChunkCompressor(const ChunkCompressor&) = delete;
  ChunkCompressor& operator=(const ChunkCompressor&) = delete;

  // Compresses in[0, length) into out[0, room) at level 1; *outLength gets the stream's
  // size. False when the codec could not get its working memory or the stream needs more
  // than room bytes (room = length * 110 / 100 + 12 always suffices).
  bool Compress(const uint8_t* in, uint32_t length, uint8_t* out, size_t room, size_t* outLength);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

class ChunkExpander {
 public:
  ChunkExpander();
  ~ChunkExpander();
  ChunkExpander(const ChunkExpander&) = delete;
  ChunkExpander& operator=(const ChunkExpander&) = delete;

  // Expands the stream in[0, inLength) into out[0, room); never writes past room. A stream
  // that does not expand to exactly room bytes (damaged, shorter or longer) leaves what
  // zlib's uncompress leaves: the bytes it could recover, at most room of them. True when the
  // stream expanded to exactly room bytes.
  bool Expand(const uint8_t* in, uint32_t inLength, uint8_t* out, size_t room);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace commonobjects::files::internal
