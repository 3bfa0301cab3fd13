// The event-array file below its file name: the 20-byte event records and the streams of
// an open compound storage. CAutomationEventArray's Save and Load open the file by name and
// call these; the fuzz target and the file tools call them on storages they open themselves.
// Byte layout: doc/formats/event-array-file.md.
//
// Records (little-endian, 20 bytes, one per event in array order, no header):
//   wide (max paths modes 1 and 2):
//     0-3 0x00010000 | 4-7 Time | 8-11 Flags | 12-13 Path low 16 bits | 14 Proc | 15 Control |
//     16-17 OldValue | 18-19 Value
//   narrow (max paths mode 0):
//     0-3 0x00010000 | 4-7 Time | 8-11 Flags | 12 Path low 8 bits | 13 Proc | 14 Control |
//     15 zero | 16-17 OldValue | 18-19 Value
// Reading ignores bytes 0-3, 9-11 and (narrow) 15, and zero-extends the path.
//
// Nothing here throws for storage errors; memory exhaustion propagates as std::bad_alloc.
// Functions are stateless and thread-safe on distinct storages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string_view>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "commonobjects/platform/CompoundFile.h"
#include "commonobjects/platform/SystemTime.h"

namespace commonobjects::files {

inline constexpr char kAutomationDataStream[] = "AutomationData";
inline constexpr char kPathModeStream[] = "Path Mode";
inline constexpr char kFileVersionStream[] = "File Version";
inline constexpr char kTimeAndDateStream[] = "Time And Date";

inline constexpr size_t kEventRecordBytes = 20;
inline constexpr uint32_t kRecordMarker = 0x00010000;
inline constexpr size_t kFileVersionBytes = 40;
inline constexpr size_t kTimeAndDateBytes = 16;
inline constexpr uint8_t kWrittenMajorVersion = 1;
inline constexpr uint8_t kWrittenMinorVersion = 4;
inline constexpr uint32_t kLoadNotificationCode = 15;

// The storage modes of the system: create, open for writing, open for reading.
inline constexpr uint32_t kCreateMode =
    platform::STGM_CREATE | platform::STGM_SHARE_EXCLUSIVE | platform::STGM_READWRITE;  // 0x1012
inline constexpr uint32_t kWriteMode = platform::STGM_SHARE_EXCLUSIVE | platform::STGM_READWRITE;  // 0x12
inline constexpr uint32_t kReadMode = platform::STGM_SHARE_EXCLUSIVE | platform::STGM_READ;        // 0x10

// How a record holds the path: 8 bits in max paths mode 0, 16 bits in modes 1 and 2.
enum class PathWidth { kNarrow, kWide };
inline PathWidth PathWidthForMode(int32_t mode) { return mode == 0 ? PathWidth::kNarrow : PathWidth::kWide; }

// events[0, count) into out[0, count * 20).
void EncodeEventRecords(const CAutomationEvent* events, size_t count, PathWidth width, uint8_t* out);
// in[0, count * 20) into events[0, count).
void DecodeEventRecords(const uint8_t* in, size_t count, PathWidth width, CAutomationEvent* events);

// "File Version" as read. A missing stream, or one that yields no bytes, is version 1.0; a
// stream of one byte gives the major version and minor 0.
struct FileVersionStructure {
  bool Present = false;  // the stream yielded at least one byte
  uint8_t Major = 1;
  uint8_t Minor = 0;
  bool HasTime = false;  // all 40 bytes were there
  std::tm Written{};     // tm_sec .. tm_isdst as stored; valid when HasTime

  // Versions 1.1 and 1.2 hold their events zlib-compressed.
  bool IsCompressed() const { return Major == 1 && (Minor == 1 || Minor == 2); }
};

// The 40 bytes of "File Version" for `version`.`minor` written at local time `written`.
void EncodeFileVersion(uint8_t major, uint8_t minor, const std::tm& written, uint8_t* out);
FileVersionStructure DecodeFileVersion(const uint8_t* bytes, size_t count);
// The 16 bytes of "Time And Date".
void EncodeTimeAndDate(const SYSTEMTIME& time, uint8_t* out);
SYSTEMTIME DecodeTimeAndDate(const uint8_t* bytes);

// ---- Streams of an open storage ----

// Up to 40 bytes of "File Version" (version 1.0 when missing or unreadable).
FileVersionStructure ReadFileVersion(platform::CompoundStorage& storage);
// "File Version" (1.4, the local time) and "Time And Date" (the local time); failures are
// ignored, as the events do not depend on them.
void WriteVersionStreams(platform::CompoundStorage& storage);
// "Path Mode": mode as 4 bytes. False when the stream could not be created.
bool WritePathModeStream(platform::CompoundStorage& storage, int32_t mode);
// "Path Mode": false when the stream is missing or cannot be read. Otherwise *mode holds the
// bytes read over -1: the stored value, or -1 for an empty stream (a stream of 1 to 3 bytes
// replaces only the low bytes of -1).
bool ReadPathModeStream(platform::CompoundStorage& storage, int32_t* mode);

// Creates (replacing) the stream and writes every event of `array` as one buffer in one
// call. 1 on success; 0 when the stream could not be created or written.
int SaveEventStream(platform::CompoundStorage& storage, std::string_view streamName, PathWidth width,
                    const CAutomationEventArray& array);
// Reads the events of the stream into `array`: posts code 15 with 0, reads "File Version",
// then the records (zlib-compressed for versions 1.1 and 1.2), posting 15 with 50 before a
// plain read and the percentage before each thirtieth of the records. The records are read
// a run at a time and converted into new storage that replaces the array's only when all
// were read; the array's size, capacity and grow-by then are what SetSize(count) would give.
// 1 on success, also for a stream without records (the array then keeps its events). 0 when
// the stream is missing or unreadable, or compressed data does not expand to exactly its
// stated count; the array is then unchanged.
int LoadEventStream(platform::CompoundStorage& storage, std::string_view streamName, PathWidth width,
                    CAutomationEventArray& array);

// ---- The event-array file over an open storage ----

// Save's streams: "Path Mode" (its outcome does not count) and the events in the layout of
// max paths mode `mode`. The version streams are the caller's (WriteVersionStreams), so that
// a mix writes them once. 1 when the events were written, else 0.
int WriteEventFileStreams(platform::CompoundStorage& storage, const CAutomationEventArray& array, int32_t mode);
// Load's reading: the file's "Path Mode" picks the record layout (none: mode 0, 8-bit paths);
// a file of another mode than `arrayMode` is refused (0, the array unchanged) unless it is
// mode 1 read into mode 2. *mode receives the file's mode (0 when it has none). Then as
// LoadEventStream.
int ReadEventFileStreams(platform::CompoundStorage& storage, CAutomationEventArray& array, int32_t arrayMode,
                         int32_t* mode);

}  // namespace commonobjects::files
