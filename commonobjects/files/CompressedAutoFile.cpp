#include "commonobjects/files/CompressedAutoFile.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "commonobjects/files/internal/ChunkCodec.h"
#include "commonobjects/platform/ByteOrder.h"
#include "commonobjects/platform/SystemTime.h"
#include "commonobjects/platform/WindowsDrive.h"
#include "commonobjects/settings/RegistryAccess.h"
#include "commonobjects/settings/SharedNames.h"

namespace {

using commonobjects::files::internal::ChunkCompressor;
using commonobjects::files::internal::ChunkExpander;
using commonobjects::platform::FileMode;
using commonobjects::platform::FileShare;
using commonobjects::platform::RandomAccessFile;

static_assert(std::endian::native == std::endian::little, "arrays are stored as they lie in memory");

constexpr char kMagic[] = "AUTXFILE";
constexpr size_t kMagicBytes = 8;
constexpr uint8_t kFiller = 0xBB;
constexpr uint32_t kWrittenVersion = 2;
constexpr uint32_t kChunkHeaderBytes = 12;
constexpr uint32_t kSlotBytes = 16;
constexpr uint32_t kSlotsAtV1 = 36;  // N at 32, slots from 36
constexpr uint32_t kSlotsAtV2 = 40;  // N at 36, slots from 40
constexpr int kLevel = 1;
// zlib's deflate never expands less than this: 258 bytes of match in about 2 bits. A block
// longer than this ratio allows for the bytes the file holds after it cannot be genuine.
constexpr uint64_t kMaxInflateRatio = 1032;

// At level 1 with room for length * 1.1 + 12 bytes, more than zlib or libdeflate can ever
// need, compression fails only when the codec cannot get its working memory (a few hundred
// KB). Two more attempts give a host that is freeing memory a chance; after the third the
// machine is out of memory, and the block is stored raw instead, which needs nothing more,
// so the mix is saved uncompressed rather than lost. Each attempt uses up a chunk number, as
// writers of this format always have.
constexpr int kCompressAttempts = 3;

constexpr char kSwitchValue[] = "CompressedAuto";
constexpr char kPauseValue[] = "CompressedAutoPauseMs";

using commonobjects::platform::Load32;
using commonobjects::platform::Store32;

bool SameIgnoringCase(const uint8_t* bytes, const char* text, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(text[i]);
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (lower(a) != lower(b)) return false;
  }
  return true;
}

}  // namespace

CCompressedAutoFile::CCompressedAutoFile() {
  CRegistryAccess registry;
  bool compress = true;
  registry.ReadBool(SharedNames::kConsoleServerKey, kSwitchValue, compress, true);
  int32_t pause = kDefaultPauseMilliseconds;
  registry.ReadNumber(SharedNames::kConsoleServerKey, kPauseValue, pause, kDefaultPauseMilliseconds);
  Compress = compress;
  // Our own setting may shorten the pause that lets the host breathe, never lengthen it.
  pauseMilliseconds_ = std::clamp(pause, 0, kDefaultPauseMilliseconds);
}

CCompressedAutoFile::~CCompressedAutoFile() = default;

bool CCompressedAutoFile::OpenFile(const std::string& name) {
  if (FileHandle) CloseFile();
  const std::string native = commonobjects::platform::MapWindowsPath(name);
  const bool existed = commonobjects::platform::FileExists(native);
  // One writer at a time; readers elsewhere may read meanwhile.
  std::unique_ptr<RandomAccessFile> file;
  const auto status =
      commonobjects::platform::OpenRandomAccessFile(native, FileMode::kOpenAlways, FileShare::kExclusive, &file);
  if (!status.IsOk()) return false;
  // Where the file system can compress files (NTFS), the file is asked to be compressed here
  // when it is not yet; this file system has no such facility, so there is nothing to ask.
  return Attach(std::move(file), !existed);
}

bool CCompressedAutoFile::OpenFile(std::unique_ptr<RandomAccessFile> file) {
  if (!file) return false;
  if (FileHandle) CloseFile();
  return Attach(std::move(file), false);
}

bool CCompressedAutoFile::Attach(std::unique_ptr<RandomAccessFile> file, bool isNew) {
  uint64_t size = 0;
  if (!file->Size(&size).IsOk()) return false;
  FileHandle = std::move(file);
  position_ = 0;
  writeFailed_ = false;
  openedEmpty_ = size == 0;
  if (isNew || openedEmpty_) HeaderValid = false;
  ReadHeader();
  return true;
}

bool CCompressedAutoFile::CloseFile() {
  if (!FileHandle) return false;
  if (Dirty || openedEmpty_) {
    Sync();  // the blocks reach the disk before the header that lists them
    WriteHeader();
    Sync();
  }
  FileHandle.reset();
  Dirty = false;
  return true;
}

bool CCompressedAutoFile::ReadHeader() {
  if (!FileHandle) return false;
  uint8_t header[kHeaderBytes];
  position_ = 0;
  if (!ReadExactly(header, kHeaderBytes)) return false;
  if (std::memcmp(header, kMagic, kMagicBytes) != 0) return false;
  const uint32_t version = Load32(header + 8);
  const uint32_t slotsAt = version == 1 ? kSlotsAtV1 : kSlotsAtV2;
  const uint32_t count = Load32(header + slotsAt - 4);
  if (count > static_cast<uint32_t>(kSlotCount)) return false;

  HeaderValid = true;
  HeaderVersion = static_cast<int32_t>(version);
  FrameRate = static_cast<int32_t>(Load32(header + 12));
  CutAB = static_cast<int32_t>(Load32(header + 16));
  MixPassA = static_cast<int32_t>(Load32(header + 20));
  MixPassB = static_cast<int32_t>(Load32(header + 24));
  EventCount = static_cast<int32_t>(Load32(header + 28));
  PathsMode = version == 1 ? 1 : static_cast<int32_t>(Load32(header + 32));
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = header + slotsAt + i * kSlotBytes;
    Slots[i] = {static_cast<int32_t>(Load32(entry)), Load32(entry + 4), Load32(entry + 8), Load32(entry + 12)};
  }
  return true;
}

void CCompressedAutoFile::WriteHeader() {
  if (!FileHandle) return;
  const uint64_t resumeAt = std::max<uint64_t>(position_, kHeaderBytes);
  uint8_t header[kHeaderBytes];
  std::memset(header, kFiller, sizeof header);
  std::memcpy(header, kMagic, kMagicBytes);
  const int32_t values[] = {FrameRate, CutAB, MixPassA, MixPassB, EventCount, PathsMode};
  Store32(header + 8, kWrittenVersion);
  for (size_t i = 0; i < std::size(values); ++i) Store32(header + 12 + 4 * i, static_cast<uint32_t>(values[i]));
  // The used slots, in table order. Slots fill from the start, so these are the first N;
  // a gap left by a damaged header is closed up rather than losing the blocks after it.
  uint32_t count = 0;
  for (const CompressedAutoSlotStructure& slot : Slots) {
    if (slot.BlockNumber < 0) continue;
    uint8_t* entry = header + kSlotsAtV2 + count++ * kSlotBytes;
    Store32(entry, static_cast<uint32_t>(slot.BlockNumber));
    Store32(entry + 4, slot.Offset);
    Store32(entry + 8, slot.Length);
    Store32(entry + 12, slot.ChunkCount);
  }
  Store32(header + kSlotsAtV2 - 4, count);
  position_ = 0;
  if (Append(header, kHeaderBytes)) HeaderValid = true;
  position_ = resumeAt;
}

int32_t CCompressedAutoFile::FindSlot(int32_t number) const {
  int32_t unused = -1;
  for (int32_t i = 0; i < kSlotCount; ++i) {
    if (Slots[i].BlockNumber == number) return i;
    if (unused < 0 && Slots[i].BlockNumber < 0) unused = i;
  }
  return unused;
}

void CCompressedAutoFile::WriteBlock(int32_t number, const void* data, size_t length) {
  if (!FileHandle || number < 0) return;
  if (!HeaderValid) WriteHeader();
  const int32_t i = FindSlot(number);
  if (i < 0) return;
  uint64_t end = 0;
  if (!EndOfFile(&end)) return;
  // Offsets and lengths are 32-bit on disk: a block that cannot be described is not written.
  if (end > UINT32_MAX || length > UINT32_MAX) {
    writeFailed_ = true;
    return;
  }
  Dirty = true;
  position_ = end;
  CompressedAutoSlotStructure slot{number, static_cast<uint32_t>(end), static_cast<uint32_t>(length), 0};
  const bool written = Compress && length > kRawLimit
                           ? WriteChunks(static_cast<const uint8_t*>(data), length, &slot)
                           : WriteRaw(data, length);
  if (written) {
    Slots[i] = slot;
  } else {
    writeFailed_ = true;
  }
}

bool CCompressedAutoFile::WriteRaw(const void* data, size_t length) { return Append(data, length); }

bool CCompressedAutoFile::WriteChunks(const uint8_t* data, size_t length, CompressedAutoSlotStructure* slot) {
  // Once per block: the codec's state, and one buffer for the chunk header and the stream.
  ChunkCompressor codec;
  std::vector<uint8_t> out(kChunkHeaderBytes + kMaxCompressedChunk);
  uint32_t chunkNumber = 0;
  for (size_t done = 0; done < length;) {
    const auto chunk = static_cast<uint32_t>(std::min<size_t>(kChunkBytes, length - done));
    size_t packed = 0;
    if (!CompressChunk(codec, data + done, chunk, out.data() + kChunkHeaderBytes, &packed, &chunkNumber)) {
      if (position_ > UINT32_MAX) return false;
      slot->Offset = static_cast<uint32_t>(position_);  // the chunks so far stay unreferenced
      slot->ChunkCount = 0;
      return WriteRaw(data, length);
    }
    if (pauseMilliseconds_ > 0) commonobjects::platform::Sleep(static_cast<uint32_t>(pauseMilliseconds_));
    Store32(out.data(), chunkNumber);
    Store32(out.data() + 4, chunk);
    Store32(out.data() + 8, static_cast<uint32_t>(packed));
    if (!Append(out.data(), kChunkHeaderBytes + packed)) return false;
    done += chunk;
    ++slot->ChunkCount;
  }
  return true;
}

bool CCompressedAutoFile::CompressChunk(ChunkCompressor& codec, const uint8_t* data, uint32_t length,
                                        uint8_t* out, size_t* outLength, uint32_t* chunkNumber) {
  const size_t room = static_cast<size_t>(length) * 110 / 100 + 12;  // at most kMaxCompressedChunk
  for (int attempt = 0; attempt < kCompressAttempts; ++attempt) {
    ++*chunkNumber;
    if (compress_ == nullptr) {
      if (codec.Compress(data, length, out, room, outLength)) return true;
      continue;
    }
    unsigned long packed = room;
    if (compress_(out, &packed, data, length, kLevel) == Z_OK && packed <= room) {
      *outLength = packed;
      return true;
    }
  }
  return false;
}

bool CCompressedAutoFile::ReadBlock(int32_t number, void* destination, size_t size) {
  if (!FileHandle) return false;
  lastReadDamaged_ = false;
  const int32_t i = FindSlot(number);
  if (i < 0 || Slots[i].BlockNumber < 0) return false;
  const CompressedAutoSlotStructure slot = Slots[i];
  position_ = slot.Offset;
  if (slot.ChunkCount == 0) return ReadExactly(destination, std::min<size_t>(size, slot.Length));
  return ReadChunks(slot, static_cast<uint8_t*>(destination), size);
}

bool CCompressedAutoFile::ReadChunks(const CompressedAutoSlotStructure& slot, uint8_t* destination,
                                     size_t size) {
  ChunkExpander codec;
  std::vector<uint8_t> input;
  size_t done = 0;
  uint32_t lastNumber = 0;
  for (uint32_t c = 0; c < slot.ChunkCount; ++c) {
    uint8_t header[kChunkHeaderBytes];
    if (!ReadExactly(header, kChunkHeaderBytes)) return false;
    const uint32_t chunkNumber = Load32(header);
    const uint32_t expanded = Load32(header + 4);
    const uint32_t packed = Load32(header + 8);
    // Numbers rise (a retried compression leaves a gap); sizes stay within what a writer makes.
    if (chunkNumber <= lastNumber || expanded > kChunkBytes || packed > kMaxCompressedChunk) return false;
    lastNumber = chunkNumber;
    input.resize(packed);
    if (!ReadExactly(input.data(), packed)) return false;
    if (expanded > size - done) {
      codec.Expand(input.data(), packed, destination + done, size - done);
      return false;
    }
    if (!codec.Expand(input.data(), packed, destination + done, expanded)) lastReadDamaged_ = true;
    done += expanded;
  }
  return true;
}

template <typename T>
void CCompressedAutoFile::WriteArray(int32_t number, const CGrowableArray<T>& array) {
  WriteBlock(number, array.GetData(), static_cast<size_t>(array.GetSize()) * sizeof(T));
}

template <typename T>
bool CCompressedAutoFile::ReadArray(int32_t number, CGrowableArray<T>& array) {
  array.RemoveAll();
  lastReadDamaged_ = false;
  const int64_t length = BlockLength(number);
  if (length < 0) return false;
  const uint64_t count = static_cast<uint64_t>(length) / sizeof(T);
  if (count > INT32_MAX) return false;
  array.SetSize(static_cast<int32_t>(count));
  return ReadBlock(number, array.GetData(), static_cast<size_t>(count) * sizeof(T));
}

template void CCompressedAutoFile::WriteArray(int32_t, const CGrowableArray<uint8_t>&);
template void CCompressedAutoFile::WriteArray(int32_t, const CGrowableArray<uint16_t>&);
template void CCompressedAutoFile::WriteArray(int32_t, const CGrowableArray<int32_t>&);
template void CCompressedAutoFile::WriteArray(int32_t, const CGrowableArray<uint32_t>&);
template bool CCompressedAutoFile::ReadArray(int32_t, CGrowableArray<uint8_t>&);
template bool CCompressedAutoFile::ReadArray(int32_t, CGrowableArray<uint16_t>&);
template bool CCompressedAutoFile::ReadArray(int32_t, CGrowableArray<int32_t>&);
template bool CCompressedAutoFile::ReadArray(int32_t, CGrowableArray<uint32_t>&);

int64_t CCompressedAutoFile::BlockLength(int32_t number) {
  const int32_t i = FindSlot(number);
  if (!FileHandle || i < 0 || Slots[i].BlockNumber < 0 || !BlockFitsFile(Slots[i])) return -1;
  return Slots[i].Length;
}

// Whether the bytes after the block's offset could hold its length, so that a damaged slot
// cannot make a reader allocate more than the file could ever expand to.
bool CCompressedAutoFile::BlockFitsFile(const CompressedAutoSlotStructure& slot) {
  uint64_t size = 0;
  if (!FileHandle->Size(&size).IsOk() || slot.Offset > size) return false;
  const uint64_t available = size - slot.Offset;
  if (slot.ChunkCount == 0) return slot.Length <= available;
  return static_cast<uint64_t>(slot.ChunkCount) * kChunkHeaderBytes <= available &&
         slot.Length <= static_cast<uint64_t>(slot.ChunkCount) * kChunkBytes &&
         slot.Length <= available * kMaxInflateRatio;
}

bool CCompressedAutoFile::Append(const void* data, size_t count) {
  if (count == 0) return true;
  if (!FileHandle->WriteAt(position_, data, count).IsOk()) {
    writeFailed_ = true;
    return false;
  }
  position_ += count;
  return true;
}

bool CCompressedAutoFile::ReadExactly(void* buffer, size_t count) {
  if (count == 0) return true;
  size_t got = 0;
  const bool ok = FileHandle->ReadAt(position_, buffer, count, &got).IsOk();
  position_ += got;
  return ok && got == count;
}

bool CCompressedAutoFile::EndOfFile(uint64_t* size) {
  if (!FileHandle->Size(size).IsOk()) return false;
  // Blocks never start inside the header, even when writing the header failed.
  *size = std::max<uint64_t>(*size, kHeaderBytes);
  return true;
}

void CCompressedAutoFile::Sync() {
  if (!FileHandle->Sync().IsOk()) writeFailed_ = true;
}

bool IsCompressedAutoFile(RandomAccessFile& file) {
  uint8_t start[kMagicBytes];
  size_t got = 0;
  return file.ReadAt(0, start, kMagicBytes, &got).IsOk() && got == kMagicBytes &&
         SameIgnoringCase(start, kMagic, kMagicBytes);
}

bool IsCompressedAutoFile(const std::string& name) {
  std::unique_ptr<RandomAccessFile> file;
  const std::string native = commonobjects::platform::MapWindowsPath(name);
  if (!commonobjects::platform::OpenRandomAccessFile(native, FileMode::kRead, FileShare::kShared, &file)
           .IsOk()) {
    return false;
  }
  return IsCompressedAutoFile(*file);
}
