// Whole streams of a compound storage, as the file forms read and write them: every byte in
// calls the storage takes, a stated length proved before it is allocated, and the stored
// form of older files (versions 1.1 and 1.2: a 32-bit count of bytes, then a zlib stream).
// Stateless; thread-safe on distinct storages. Nothing throws for storage errors; memory
// exhaustion propagates as std::bad_alloc.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commonobjects/platform/CompoundFile.h"

namespace commonobjects::files {

enum class StreamRead { kOk, kMissing, kUnreadable };

// The compound file at `name` (a Windows path as the hosts give it, or a native one) for
// writing: a new one when no file exists there, else the existing one opened read-write.
// Null when either fails (an existing file that is no compound file, a file in use).
std::unique_ptr<platform::CompoundStorage> OpenStorageForWriting(const std::string& name);
// The compound file at `name` for reading; null when it cannot be opened as one.
std::unique_ptr<platform::CompoundStorage> OpenStorageForReading(const std::string& name);

// Writes all count bytes at the stream's position; false on any failure or short write.
bool WriteAll(platform::CompoundStream& stream, const uint8_t* data, uint64_t count);
// Reads exactly count bytes; false on any failure or when the stream ends first.
bool ReadAll(platform::CompoundStream& stream, uint8_t* buffer, uint64_t count);
// Whether the stream's stated length is really in the file (a damaged directory entry may
// state gigabytes in a small file). Leaves the position at the start.
bool LengthIsBacked(platform::CompoundStream& stream, uint64_t length);

// Creates (replacing) stream `name` holding data[0, count). False when it could not be
// created or written.
bool WriteWholeStream(platform::CompoundStorage& storage, std::string_view name, const void* data, uint64_t count);
// The whole content of stream `name` into *bytes (untouched unless kOk).
StreamRead ReadWholeStream(platform::CompoundStorage& storage, std::string_view name, std::vector<uint8_t>* bytes);
// Expands the stored form of older files into *bytes (untouched on failure). False when the
// count is impossible for the data or the zlib stream does not expand to exactly the count.
bool ExpandStoredStream(const std::vector<uint8_t>& stored, std::vector<uint8_t>* bytes);

}  // namespace commonobjects::files
