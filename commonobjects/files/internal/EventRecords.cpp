#include "commonobjects/files/internal/EventRecords.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <memory>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <tmmintrin.h>
#define COMMONOBJECTS_SHUFFLED_RECORDS 1
#endif

#include "commonobjects/eventstore/Notifications.h"
#include "commonobjects/files/internal/StreamIo.h"
#include "commonobjects/platform/ByteOrder.h"

namespace commonobjects::files {
namespace {

using platform::CompoundStorage;
using platform::CompoundStream;
using platform::Load16;
using platform::Load32;
using platform::Store16;
using platform::Store32;

// Deflate expands at most 1032 bytes from one byte: stated counts beyond that are impossible.
constexpr uint64_t kMaxInflateRatio = 1032;

// The records of events[0, count) as five 32-bit stores each: marker, time, flags, the path
// with proc and control, and the two values.
template <PathWidth kWidth>
void EncodeRecords(const CAutomationEvent* events, size_t count, uint8_t* out) {
  for (size_t i = 0; i < count; ++i, out += kEventRecordBytes) {
    const CAutomationEvent& e = events[i];
    const uint32_t pathBits = kWidth == PathWidth::kWide ? 16 : 8;
    const uint32_t path = static_cast<uint32_t>(e.Path) & ((1u << pathBits) - 1);
    Store32(out, kRecordMarker);
    Store32(out + 4, static_cast<uint32_t>(e.Time));
    Store32(out + 8, e.Flags);
    Store32(out + 12, path | (uint32_t{e.Proc} << pathBits) | (uint32_t{e.Control} << (pathBits + 8)));
    Store32(out + 16, static_cast<uint16_t>(e.OldValue) | (uint32_t{static_cast<uint16_t>(e.Value)} << 16));
  }
}

#ifdef COMMONOBJECTS_SHUFFLED_RECORDS
// After its marker, a record is the event's own 16 bytes rearranged: Time, Flags and three
// zero bytes, the path with proc and control, OldValue and Value. One byte shuffle (SSSE3)
// builds it; the indices are byte offsets in CAutomationEvent, -1 a zero byte.
static_assert(offsetof(CAutomationEvent, Proc) == 0 && offsetof(CAutomationEvent, Control) == 1 &&
              offsetof(CAutomationEvent, Value) == 2 && offsetof(CAutomationEvent, Path) == 4 &&
              offsetof(CAutomationEvent, Time) == 8 && offsetof(CAutomationEvent, Flags) == 12 &&
              offsetof(CAutomationEvent, OldValue) == 14);

__attribute__((target("ssse3"))) void ShuffleRecord(const CAutomationEvent* event, __m128i order, uint8_t* out) {
  Store32(out, kRecordMarker);
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(event));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_shuffle_epi8(bytes, order));
}

// Encodes the events four at a time; the rest (fewer than four) is the caller's.
__attribute__((target("ssse3"))) size_t ShuffleRecords(const CAutomationEvent* events, size_t count, PathWidth width,
                                                       uint8_t* out) {
  const __m128i order = width == PathWidth::kWide
                            ? _mm_setr_epi8(8, 9, 10, 11, 12, -1, -1, -1, 4, 5, 0, 1, 14, 15, 2, 3)
                            : _mm_setr_epi8(8, 9, 10, 11, 12, -1, -1, -1, 4, 0, 1, -1, 14, 15, 2, 3);
  const size_t whole = count / 4 * 4;
  for (size_t i = 0; i < whole; i += 4, out += 4 * kEventRecordBytes) {
    ShuffleRecord(events + i, order, out);
    ShuffleRecord(events + i + 1, order, out + kEventRecordBytes);
    ShuffleRecord(events + i + 2, order, out + 2 * kEventRecordBytes);
    ShuffleRecord(events + i + 3, order, out + 3 * kEventRecordBytes);
  }
  return whole;
}
#endif

// How many of the events the processor's byte shuffle encoded (0 where it has none).
size_t EncodeByShuffle([[maybe_unused]] const CAutomationEvent* events, [[maybe_unused]] size_t count,
                       [[maybe_unused]] PathWidth width, [[maybe_unused]] uint8_t* out) {
#ifdef COMMONOBJECTS_SHUFFLED_RECORDS
  if (__builtin_cpu_supports("ssse3")) return ShuffleRecords(events, count, width, out);
#endif
  return 0;
}

// Bytes [done, done + length) of the records of events: the whole records the range holds,
// and the parts of the records it cuts at either end.
void EncodeRecordBytes(const CAutomationEvent* events, PathWidth width, uint64_t done, size_t length, uint8_t* out) {
  uint64_t record = done / kEventRecordBytes;
  size_t skip = done % kEventRecordBytes;
  while (length > 0) {
    if (skip == 0 && length >= kEventRecordBytes) {
      const size_t whole = length / kEventRecordBytes;
      EncodeEventRecords(events + record, whole, width, out);
      record += whole;
      out += whole * kEventRecordBytes;
      length -= whole * kEventRecordBytes;
      continue;
    }
    uint8_t one[kEventRecordBytes];
    EncodeEventRecords(events + record, 1, width, one);
    const size_t part = std::min(length, kEventRecordBytes - skip);
    std::memcpy(out, one + skip, part);
    ++record;
    out += part;
    length -= part;
    skip = 0;
  }
}

// Up to count bytes from the start of a named stream; -1 when it is missing or unreadable.
int64_t ReadSmallStream(CompoundStorage& storage, std::string_view name, uint8_t* buffer, uint32_t count) {
  std::unique_ptr<CompoundStream> stream;
  if (!storage.OpenStream(name, kReadMode, &stream).IsOk()) return -1;
  uint32_t got = 0;
  if (!stream->Read(buffer, count, &got).IsOk()) return -1;
  return got;
}

bool WriteSmallStream(CompoundStorage& storage, std::string_view name, const uint8_t* data, uint32_t count) {
  std::unique_ptr<CompoundStream> stream;
  if (!storage.CreateStream(name, kCreateMode, &stream).IsOk()) return false;
  return WriteAll(*stream, data, count) && stream->Close().IsOk();
}

// Where the records of a load come from, in order, a run at a time.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // The next `count` records (count <= kRecordsPerRead), or null when they cannot be read.
  virtual const uint8_t* Next(size_t count) = 0;
};

// Records per stream read: large enough that a read costs nothing beside its bytes, small
// enough that the records are still in the cache when they are converted.
constexpr size_t kRecordsPerRead = 32768;

// The records of a plain stream, read into one buffer of kRecordsPerRead records.
class StreamRecords final : public RecordSource {
 public:
  explicit StreamRecords(CompoundStream& stream)
      : stream_(stream), buffer_(std::make_unique_for_overwrite<uint8_t[]>(kRecordsPerRead * kEventRecordBytes)) {}
  const uint8_t* Next(size_t count) override {
    return ReadAll(stream_, buffer_.get(), count * kEventRecordBytes) ? buffer_.get() : nullptr;
  }

 private:
  CompoundStream& stream_;
  std::unique_ptr<uint8_t[]> buffer_;
};

// The records of a compressed stream, expanded in memory.
class ExpandedRecords final : public RecordSource {
 public:
  explicit ExpandedRecords(std::unique_ptr<uint8_t[]> bytes) : bytes_(std::move(bytes)) {}
  const uint8_t* Next(size_t count) override {
    const uint8_t* run = bytes_.get() + at_;
    at_ += count * kEventRecordBytes;
    return run;
  }

 private:
  std::unique_ptr<uint8_t[]> bytes_;
  size_t at_ = 0;
};

struct Records {
  std::unique_ptr<RecordSource> source;  // null when the stream holds no whole record
  int32_t count = 0;
};

// Version 1.0 and 1.3 on: the stream is the records; a trailing partial record is ignored.
// False when the stream cannot hold what it claims.
bool PlainRecords(CompoundStream& stream, Records* out) {
  const uint64_t length = stream.Length();
  const uint64_t count = length / kEventRecordBytes;
  if (count == 0) return true;
  if (count > INT32_MAX || !LengthIsBacked(stream, length)) return false;
  PostEventNotification(kLoadNotificationCode, 50);
  out->source = std::make_unique<StreamRecords>(stream);
  out->count = static_cast<int32_t>(count);
  return true;
}

// Versions 1.1 and 1.2: the count U of uncompressed bytes, then a zlib stream holding
// U / 20 whole records. False when the data is damaged or expands to anything else.
bool CompressedRecords(CompoundStream& stream, Records* out) {
  const uint64_t length = stream.Length();
  uint8_t head[4];
  if (length < sizeof head) return true;
  if (!LengthIsBacked(stream, length) || !ReadAll(stream, head, sizeof head)) return false;
  const uint32_t count = Load32(head) / kEventRecordBytes;
  if (count == 0) return true;  // below one record: nothing to expand
  const uint64_t expanded = static_cast<uint64_t>(count) * kEventRecordBytes;
  const uint64_t packed = length - sizeof head;
  if (count > INT32_MAX || expanded > packed * kMaxInflateRatio) return false;

  auto input = std::make_unique_for_overwrite<uint8_t[]>(packed);
  if (!ReadAll(stream, input.get(), packed)) return false;
  auto bytes = std::make_unique_for_overwrite<uint8_t[]>(expanded);
  uLongf produced = static_cast<uLongf>(expanded);
  const int rc = uncompress(bytes.get(), &produced, input.get(), static_cast<uLong>(packed));
  if (rc != Z_OK || produced != expanded) return false;
  out->source = std::make_unique<ExpandedRecords>(std::move(bytes));
  out->count = static_cast<int32_t>(count);
  return true;
}

using EventStorage = CGrowableArray<CAutomationEvent>;

// An array of `count` events with the capacity and grow-by that array.SetSize(count) would
// leave `array` with (the growth rule: max(count, capacity + G) when count passes the
// capacity, G being the grow-by or size / 8 clamped to [4, 1024]).
EventStorage SizedLike(const EventStorage& array, int32_t count) {
  int32_t capacity = array.GetCapacity();
  if (count > capacity) {
    const int32_t grow = array.GetGrowBy() != 0 ? array.GetGrowBy() : std::clamp(array.GetSize() / 8, 4, 1024);
    capacity = static_cast<int32_t>(std::max<int64_t>(count, std::min<int64_t>(int64_t{capacity} + grow, INT32_MAX)));
  }
  EventStorage sized;
  sized.SetSize(count, capacity);         // max(count, 0 + capacity): exactly that capacity
  sized.SetSize(count, array.GetGrowBy());  // the array's own grow-by
  return sized;
}

// Converts `count` records from the source into events[0, count), a read at a time.
bool ConvertRun(RecordSource& source, int32_t count, PathWidth width, CAutomationEvent* events) {
  for (int32_t done = 0; done < count;) {
    const auto run = static_cast<size_t>(std::min<int64_t>(count - done, kRecordsPerRead));
    const uint8_t* records = source.Next(run);
    if (records == nullptr) return false;
    DecodeEventRecords(records, run, width, events + done);
    done += static_cast<int32_t>(run);
  }
  return true;
}

// Converts every record in order into new storage sized as the array's own growth would
// size it, posting the percentage before each thirtieth (when there are at least 30
// records), and hands the storage to the array only when every record was read: a failed
// read leaves the array as it was.
bool FillArray(const Records& records, PathWidth width, CAutomationEventArray& array) {
  const int32_t count = records.count;
  EventStorage events = SizedLike(array, count);
  const int32_t step = count / 30;
  const int32_t run = step >= 1 ? step : count;
  for (int32_t i = 0; i < count; i += run) {
    if (step >= 1) {
      PostEventNotification(kLoadNotificationCode, static_cast<int32_t>(static_cast<int64_t>(i) * 100 / count));
    }
    if (!ConvertRun(*records.source, std::min(run, count - i), width, events.GetData() + i)) return false;
  }
  static_cast<EventStorage&>(array) = std::move(events);
  return true;
}

}  // namespace

void EncodeEventRecords(const CAutomationEvent* events, size_t count, PathWidth width, uint8_t* out) {
  const size_t shuffled = EncodeByShuffle(events, count, width, out);
  events += shuffled;
  count -= shuffled;
  out += shuffled * kEventRecordBytes;
  if (width == PathWidth::kWide) {
    EncodeRecords<PathWidth::kWide>(events, count, out);
  } else {
    EncodeRecords<PathWidth::kNarrow>(events, count, out);
  }
}

void DecodeEventRecords(const uint8_t* in, size_t count, PathWidth width, CAutomationEvent* events) {
  for (size_t i = 0; i < count; ++i, in += kEventRecordBytes) {
    CAutomationEvent& e = events[i];
    e.Time = static_cast<int32_t>(Load32(in + 4));
    e.Flags = in[8];
    if (width == PathWidth::kWide) {
      e.Path = Load16(in + 12);
      e.Proc = in[14];
      e.Control = in[15];
    } else {
      e.Path = in[12];
      e.Proc = in[13];
      e.Control = in[14];
    }
    e.OldValue = static_cast<int16_t>(Load16(in + 16));
    e.Value = static_cast<int16_t>(Load16(in + 18));
  }
}

void EncodeFileVersion(uint8_t major, uint8_t minor, const std::tm& written, uint8_t* out) {
  out[0] = major;
  out[1] = minor;
  out[2] = out[3] = 0;  // reserved
  const int fields[9] = {written.tm_sec,  written.tm_min,  written.tm_hour, written.tm_mday, written.tm_mon,
                         written.tm_year, written.tm_wday, written.tm_yday, written.tm_isdst};
  for (int i = 0; i < 9; ++i) Store32(out + 4 + 4 * i, static_cast<uint32_t>(fields[i]));
}

FileVersionStructure DecodeFileVersion(const uint8_t* bytes, size_t count) {
  FileVersionStructure version;
  if (count == 0) return version;
  version.Present = true;
  version.Major = bytes[0];
  version.Minor = count >= 2 ? bytes[1] : 0;
  if (count < kFileVersionBytes) return version;
  int fields[9];
  for (int i = 0; i < 9; ++i) fields[i] = static_cast<int32_t>(Load32(bytes + 4 + 4 * i));
  std::tm& t = version.Written;
  t.tm_sec = fields[0];
  t.tm_min = fields[1];
  t.tm_hour = fields[2];
  t.tm_mday = fields[3];
  t.tm_mon = fields[4];
  t.tm_year = fields[5];
  t.tm_wday = fields[6];
  t.tm_yday = fields[7];
  t.tm_isdst = fields[8];
  version.HasTime = true;
  return version;
}

void EncodeTimeAndDate(const SYSTEMTIME& time, uint8_t* out) {
  const uint16_t fields[8] = {time.wYear,   time.wMonth,  time.wDayOfWeek, time.wDay,
                              time.wHour,   time.wMinute, time.wSecond,    time.wMilliseconds};
  for (int i = 0; i < 8; ++i) Store16(out + 2 * i, fields[i]);
}

SYSTEMTIME DecodeTimeAndDate(const uint8_t* bytes) {
  return SYSTEMTIME{Load16(bytes),      Load16(bytes + 2),  Load16(bytes + 4),  Load16(bytes + 6),
                    Load16(bytes + 8),  Load16(bytes + 10), Load16(bytes + 12), Load16(bytes + 14)};
}

FileVersionStructure ReadFileVersion(CompoundStorage& storage) {
  uint8_t bytes[kFileVersionBytes];
  const int64_t got = ReadSmallStream(storage, kFileVersionStream, bytes, sizeof bytes);
  return got <= 0 ? FileVersionStructure{} : DecodeFileVersion(bytes, static_cast<size_t>(got));
}

void WriteVersionStreams(CompoundStorage& storage) {
  uint8_t version[kFileVersionBytes];
  EncodeFileVersion(kWrittenMajorVersion, kWrittenMinorVersion, platform::LocalTimeNow(), version);
  WriteSmallStream(storage, kFileVersionStream, version, sizeof version);

  SYSTEMTIME now;
  platform::GetLocalTime(&now);
  uint8_t timeAndDate[kTimeAndDateBytes];
  EncodeTimeAndDate(now, timeAndDate);
  WriteSmallStream(storage, kTimeAndDateStream, timeAndDate, sizeof timeAndDate);
}

bool WritePathModeStream(CompoundStorage& storage, int32_t mode) {
  std::unique_ptr<CompoundStream> stream;
  if (!storage.CreateStream(kPathModeStream, kCreateMode, &stream).IsOk()) return false;
  uint8_t bytes[4];
  Store32(bytes, static_cast<uint32_t>(mode));
  WriteAll(*stream, bytes, sizeof bytes);  // only the stream's creation decides the outcome
  stream->Close();
  return true;
}

bool ReadPathModeStream(CompoundStorage& storage, int32_t* mode) {
  uint8_t bytes[4] = {0xFF, 0xFF, 0xFF, 0xFF};  // -1, as far as the stream does not replace it
  if (ReadSmallStream(storage, kPathModeStream, bytes, sizeof bytes) < 0) return false;
  *mode = static_cast<int32_t>(Load32(bytes));
  return true;
}

int SaveEventStream(CompoundStorage& storage, std::string_view streamName, PathWidth width,
                    const CAutomationEventArray& array) {
  std::unique_ptr<CompoundStream> stream;
  if (!storage.CreateStream(streamName, kCreateMode, &stream).IsOk()) return 0;
  const auto count = static_cast<size_t>(array.GetSize());
  const uint64_t bytes = static_cast<uint64_t>(count) * kEventRecordBytes;
  if (count > 0) {
    // Encoded a piece at a time straight into what the stream writes: 200 MB of records are
    // neither copied nor held whole in memory.
    const CAutomationEvent* events = array.GetData();
    const auto encode = [events, width](uint8_t* at, uint64_t done, size_t length) {
      EncodeRecordBytes(events, width, done, length, at);
    };
    if (!stream->WriteInPlace(bytes, encode).IsOk()) return 0;
  }
  return stream->Close().IsOk() ? 1 : 0;
}

int LoadEventStream(CompoundStorage& storage, std::string_view streamName, PathWidth width,
                    CAutomationEventArray& array) {
  PostEventNotification(kLoadNotificationCode, 0);
  const FileVersionStructure version = ReadFileVersion(storage);
  std::unique_ptr<CompoundStream> stream;
  if (!storage.OpenStream(streamName, kReadMode, &stream).IsOk()) return 0;

  Records records;
  const bool read = version.IsCompressed() ? CompressedRecords(*stream, &records) : PlainRecords(*stream, &records);
  if (!read) return 0;
  if (records.source && !FillArray(records, width, array)) return 0;
  return 1;
}

}  // namespace commonobjects::files
