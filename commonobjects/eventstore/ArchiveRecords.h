// The 16-byte archive record of an event: the form of the archive (Serialize) and of the
// compressed automation file's event block. Little-endian:
//   0 Proc | 1 Control | 2-3 Value | 4-7 Path | 8-11 Time | 12 Flags | 13 zero (ignored when
//   read) | 14-15 OldValue
// It is the event's own field order, so on a little-endian machine a record is the event's
// memory with the padding byte zeroed. Pure functions; thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>

#include "commonobjects/eventstore/AutomationEvent.h"

inline constexpr size_t kArchiveRecordBytes = 16;

// Whether an event's memory is its archive record (but for byte 13), so that records may be
// read straight into an event array.
bool EventMemoryIsArchiveRecord();

// events[0, count) into out[0, count * 16).
void EncodeArchiveRecords(const CAutomationEvent* events, size_t count, uint8_t* out);
// in[0, count * 16) into events[0, count).
void DecodeArchiveRecords(const uint8_t* in, size_t count, CAutomationEvent* events);
