#include "commonobjects/files/internal/StreamIo.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

#include "commonobjects/files/internal/EventRecords.h"
#include "commonobjects/platform/ByteOrder.h"
#include "commonobjects/platform/WindowsDrive.h"

namespace commonobjects::files {

namespace {

// Stream calls take 32-bit counts; larger transfers go in pieces of this size.
constexpr uint32_t kLargestCall = 0x40000000;
// Deflate expands at most 1032 bytes from one byte: stated counts beyond that are impossible.
constexpr uint64_t kMaxInflateRatio = 1032;
constexpr size_t kCountBytes = 4;

}  // namespace

std::unique_ptr<platform::CompoundStorage> OpenStorageForWriting(const std::string& name) {
  const std::string native = platform::MapWindowsPath(name);
  std::unique_ptr<platform::CompoundStorage> storage;
  const platform::StgStatus probe = platform::StgIsStorageFile(native);
  const platform::StgStatus opened = probe.code == platform::StgStatus::kFileNotFound
                                         ? platform::CompoundStorage::Create(native, kCreateMode, &storage)
                                         : platform::CompoundStorage::Open(native, kWriteMode, &storage);
  if (!opened.IsOk()) storage.reset();
  return storage;
}

std::unique_ptr<platform::CompoundStorage> OpenStorageForReading(const std::string& name) {
  std::unique_ptr<platform::CompoundStorage> storage;
  if (!platform::CompoundStorage::Open(platform::MapWindowsPath(name), kReadMode, &storage).IsOk()) storage.reset();
  return storage;
}

bool WriteAll(platform::CompoundStream& stream, const uint8_t* data, uint64_t count) {
  while (count > 0) {
    const auto piece = static_cast<uint32_t>(std::min<uint64_t>(count, kLargestCall));
    uint32_t written = 0;
    if (!stream.Write(data, piece, &written).IsOk() || written != piece) return false;
    data += piece;
    count -= piece;
  }
  return true;
}

bool ReadAll(platform::CompoundStream& stream, uint8_t* buffer, uint64_t count) {
  while (count > 0) {
    const auto piece = static_cast<uint32_t>(std::min<uint64_t>(count, kLargestCall));
    uint32_t got = 0;
    if (!stream.Read(buffer, piece, &got).IsOk() || got != piece) return false;
    buffer += piece;
    count -= piece;
  }
  return true;
}

bool LengthIsBacked(platform::CompoundStream& stream, uint64_t length) {
  uint8_t last = 0;
  uint32_t got = 0;
  return length == 0 || (stream.Seek(length - 1).IsOk() && stream.Read(&last, 1, &got).IsOk() && got == 1 &&
                         stream.Seek(0).IsOk());
}

bool WriteWholeStream(platform::CompoundStorage& storage, std::string_view name, const void* data, uint64_t count) {
  std::unique_ptr<platform::CompoundStream> stream;
  if (!storage.CreateStream(name, kCreateMode, &stream).IsOk()) return false;
  return WriteAll(*stream, static_cast<const uint8_t*>(data), count) && stream->Close().IsOk();
}

StreamRead ReadWholeStream(platform::CompoundStorage& storage, std::string_view name, std::vector<uint8_t>* bytes) {
  std::unique_ptr<platform::CompoundStream> stream;
  const platform::StgStatus opened = storage.OpenStream(name, kReadMode, &stream);
  if (opened.code == platform::StgStatus::kNotFound) return StreamRead::kMissing;
  if (!opened.IsOk()) return StreamRead::kUnreadable;
  const uint64_t length = stream->Length();
  if (!LengthIsBacked(*stream, length)) return StreamRead::kUnreadable;
  std::vector<uint8_t> content(length);
  if (!ReadAll(*stream, content.data(), length)) return StreamRead::kUnreadable;
  *bytes = std::move(content);
  return StreamRead::kOk;
}

bool ExpandStoredStream(const std::vector<uint8_t>& stored, std::vector<uint8_t>* bytes) {
  if (stored.size() < kCountBytes) return false;
  const uint64_t count = platform::Load32(stored.data());
  const uint64_t packed = stored.size() - kCountBytes;
  if (count > packed * kMaxInflateRatio) return false;
  std::vector<uint8_t> expanded(count);
  uLongf produced = static_cast<uLongf>(count);
  // uncompress wants a non-null destination even for nothing.
  Bytef empty = 0;
  const int rc = uncompress(count > 0 ? expanded.data() : &empty, &produced, stored.data() + kCountBytes,
                            static_cast<uLong>(packed));
  if (rc != Z_OK || produced != count) return false;
  *bytes = std::move(expanded);
  return true;
}

}  // namespace commonobjects::files
