// CCompressedAutoFile: the compressed automation file ("AUTXFILE"), a plain file of up to 28
// numbered blocks behind a fixed 1024-byte header. The package stores one mix member per
// block; this class knows the format, not the members. Byte layout: doc/formats/
// compressed-automation-file.md.
//
// Invariants:
//  1. Slots are used from the start of the table; a slot with a negative block number is unused.
//  2. Blocks are appended at the end of the file (never before offset 1024) and never moved.
//     Writing a block number again points its slot at the new copy; the old bytes stay.
//  3. A slot is changed only after every byte of its block has been written, so the table
//     never lists a block that is not wholly on disk.
//  4. The header on disk is rewritten only at close (or before the first block of a file
//     without one). After a crash or a failed write the previous header still stands and
//     every block it lists is intact: blocks are forced to disk before the header that lists
//     them, and all that a reader needs of the header lies in its first 512 bytes.
//
// Ownership: the object owns its open file and closes it on destruction (without rewriting
// the header: call CloseFile to keep what was written). It borrows the buffers passed to
// WriteBlock and ReadBlock for the call only. Not thread-safe: one thread per object. The
// disk file is held exclusively for writing while open; other processes may read it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "commonobjects/eventstore/GrowableArray.h"
#include "commonobjects/platform/RandomAccessFile.h"

namespace commonobjects::files::internal {
class ChunkCompressor;
}

// One entry of the slot table, as stored in the header (16 bytes, little-endian).
struct CompressedAutoSlotStructure {
  int32_t BlockNumber = -1;  // negative: unused
  uint32_t Offset = 0;       // file offset of the block's data
  uint32_t Length = 0;       // uncompressed bytes
  uint32_t ChunkCount = 0;   // 0: the data is stored raw
};

class CCompressedAutoFile {
 public:
  static constexpr int32_t kSlotCount = 28;
  static constexpr uint32_t kHeaderBytes = 1024;
  static constexpr uint32_t kChunkBytes = 262144;          // uncompressed bytes per full chunk
  static constexpr uint32_t kMaxCompressedChunk = 288370;  // 262144 * 1.1 + 12, rounded down
  static constexpr uint32_t kRawLimit = 1000;              // blocks of at most this many bytes stay raw
  static constexpr int32_t kDefaultPauseMilliseconds = 10;
  // A compression call with zlib's compress2 signature that tests put in place of the
  // built-in codec (see files/internal/ChunkCodec.h), e.g. to make compression fail.
  using CompressFunction = int (*)(unsigned char* dest, unsigned long* destLen, const unsigned char* source,
                                   unsigned long sourceLen, int level);

  // Reads the switch "CompressedAuto" (absent: on) and the pause after each chunk,
  // "CompressedAutoPauseMs" (absent: 10; clamped to 0..10 inclusive), both 32-bit values
  // under HKEY_LOCAL_MACHINE "SOFTWARE\QRXTARN\QENSERVER".
  CCompressedAutoFile();
  ~CCompressedAutoFile();
  CCompressedAutoFile(const CCompressedAutoFile&) = delete;
  CCompressedAutoFile& operator=(const CCompressedAutoFile&) = delete;

  // Closes any open file, then opens `name` (a Windows path as the hosts give it, or a native
  // one) for reading and writing, creating it when missing (contents kept), and reads its
  // header when it has one. False when the file cannot be opened; the object is then closed.
  bool OpenFile(const std::string& name);
  // The same over a file the caller supplies (a memory file in tests, a package's stream).
  // A file of 0 bytes counts as new. False for a null file.
  bool OpenFile(std::unique_ptr<commonobjects::platform::RandomAccessFile> file);
  // Writes the header when blocks were written, or when the file was new or empty when
  // opened, then closes. False when no file was open. A file that held data without a valid
  // header and got no block is closed unchanged.
  bool CloseFile();

  // True when the file starts with a valid header (the exact magic, at most 28 slots); the
  // header values and the first N slots then come from it. Version 1 lacks `PathsMode` (it
  // reads as 1); every other version is read with the layout of version 2. On false nothing
  // of the object changes.
  bool ReadHeader();
  // Writes the 1024-byte header (version 2) from the header values and the used slots.
  void WriteHeader();
  // Appends `length` bytes as block `number` (0 or more; a negative number is refused).
  // Blocks above 1000 bytes are stored as zlib streams at level 1, one per 256 KiB, when the
  // switch is on, with the pause after each chunk. A chunk whose compression fails three times
  // makes the whole block stored raw instead. Nothing is stored when 28 other blocks are present. Write
  // failures are not reported here (see WriteFailed); the slot then keeps what it held.
  void WriteBlock(int32_t number, const void* data, size_t length);
  // Reads block `number` into destination[0, size). True when the block exists and every
  // byte of it that fits was read: raw blocks give min(size, length) bytes; compressed
  // blocks fail when a chunk passes the end of the destination (which is then filled), a
  // read comes up short, or a chunk header is impossible (chunk numbers not rising, more
  // than 262144 bytes expanded, more than 288370 bytes stored). A chunk whose zlib data is
  // damaged still counts as read (whatever zlib recovered stays), as the format's readers
  // always did, so one bad chunk does not cost the whole block. On false the destination
  // may be partly filled. Nothing is ever written outside destination[0, size).
  bool ReadBlock(int32_t number, void* destination, size_t size);
  // Whether the last ReadBlock (or ReadArray) met a chunk whose zlib data did not expand to
  // its stated length: the block then counts as read, but holds only what zlib recovered.
  bool LastReadDamaged() const { return lastReadDamaged_; }
  // The slot holding `number`; else the first unused slot; else -1.
  int32_t FindSlot(int32_t number) const;

  // Array conveniences for elements of 1, 2 or 4 bytes (uint8_t, uint16_t, int32_t, uint32_t):
  // the elements as one block of count * element size bytes.
  template <typename T>
  void WriteArray(int32_t number, const CGrowableArray<T>& array);
  // Empties the array, then sizes it to length / element size and reads the block into it.
  // A missing block, or one whose length the file cannot hold, leaves it empty: false.
  template <typename T>
  bool ReadArray(int32_t number, CGrowableArray<T>& array);
  // The stated length of block `number`, or -1 when it is missing or the file could not hold
  // it (so a reader may size its destination from it).
  int64_t BlockLength(int32_t number);

  // True when a write or sync failed since the file was opened (the blocks listed in the
  // previous header remain readable; a failed block is not in the table).
  bool WriteFailed() const { return writeFailed_; }
  bool IsOpen() const { return FileHandle != nullptr; }
  int32_t GetPauseMilliseconds() const { return pauseMilliseconds_; }
  void SetCompressFunctionForTesting(CompressFunction compress) { compress_ = compress; }

  // Header values. The user sets them before closing a written file.
  int32_t HeaderVersion = 0;  // as read; 0 before a header was read. The writer writes 2
  int32_t CutAB = 0;
  int32_t FrameRate = 0;
  int32_t MixPassA = 0;
  int32_t MixPassB = 0;
  int32_t EventCount = 0;
  int32_t ConsoleType = 0;  // set by the package; not stored in the file
  int32_t PathsMode = 1;    // 1 when read from a version-1 header
  std::unique_ptr<commonobjects::platform::RandomAccessFile> FileHandle;  // null when closed
  std::array<CompressedAutoSlotStructure, kSlotCount> Slots{};
  bool HeaderValid = false;  // the file's header is known to be on disk
  bool Dirty = false;        // a block was written since opening
  bool Compress = true;      // the "CompressedAuto" switch

 private:
  bool Attach(std::unique_ptr<commonobjects::platform::RandomAccessFile> file, bool isNew);
  bool WriteRaw(const void* data, size_t length);
  bool WriteChunks(const uint8_t* data, size_t length, CompressedAutoSlotStructure* slot);
  bool CompressChunk(commonobjects::files::internal::ChunkCompressor& codec, const uint8_t* data,
                     uint32_t length, uint8_t* out, size_t* outLength, uint32_t* chunkNumber);
  bool ReadChunks(const CompressedAutoSlotStructure& slot, uint8_t* destination, size_t size);
  bool BlockFitsFile(const CompressedAutoSlotStructure& slot);
  bool Append(const void* data, size_t count);
  bool ReadExactly(void* buffer, size_t count);
  bool EndOfFile(uint64_t* size);
  void Sync();

  uint64_t position_ = 0;  // where the next read or append goes
  bool openedEmpty_ = false;
  bool writeFailed_ = false;
  bool lastReadDamaged_ = false;
  int32_t pauseMilliseconds_ = kDefaultPauseMilliseconds;
  CompressFunction compress_ = nullptr;  // null: the built-in codec
};

// Whether the file `name` starts with "AUTXFILE", compared without regard to ASCII case.
// False when it cannot be opened for reading or is shorter than 8 bytes.
bool IsCompressedAutoFile(const std::string& name);
bool IsCompressedAutoFile(commonobjects::platform::RandomAccessFile& file);
