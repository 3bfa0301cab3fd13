// The three key orders of automation events and a fast exact sort by them.
//
// Keys compare ascending, Time and Path as signed 32-bit numbers, Proc and Control as
// unsigned 8-bit numbers. SortEvents leaves the events ordered exactly as std::sort with
// EventKeyLess would order their keys; events equal in every key may end in any order.
// Works in place: beyond the events it needs about 1.5 MB, plus one event in eight when
// they are nearly in order already. Stateless and thread-safe; each call works on the
// caller's events only.
#pragma once

#include <cstdint>

#include "commonobjects/eventstore/AutomationEvent.h"

namespace commonobjects::eventstore {

enum class EventOrder {
  TimePathProcControl,  // time order: recording, playback, files
  PathProcControlTime,  // each channel's events together, in time order
  PathTimeProcControl,  // each path's events together, in time order
};

// Strict weak order of events by the keys of Order.
template <EventOrder Order>
struct EventKeyLess {
  bool operator()(const CAutomationEvent& a, const CAutomationEvent& b) const {
    if constexpr (Order == EventOrder::TimePathProcControl) {
      if (a.Time != b.Time) return a.Time < b.Time;
      if (a.Path != b.Path) return a.Path < b.Path;
    } else if constexpr (Order == EventOrder::PathProcControlTime) {
      if (a.Path != b.Path) return a.Path < b.Path;
      if (a.Proc != b.Proc) return a.Proc < b.Proc;
      if (a.Control != b.Control) return a.Control < b.Control;
      return a.Time < b.Time;
    } else {
      if (a.Path != b.Path) return a.Path < b.Path;
      if (a.Time != b.Time) return a.Time < b.Time;
    }
    if (a.Proc != b.Proc) return a.Proc < b.Proc;
    return a.Control < b.Control;
  }
};

// Sorts events [0, count) by the order's keys. When even that room cannot be had it sorts
// with std::sort instead (same key order).
void SortEvents(CAutomationEvent* events, int32_t count, EventOrder order);

}  // namespace commonobjects::eventstore
