// A critical section as Windows has it: a lock that the thread holding it may enter again.
//
// Each Enter (and each successful TryEnter) is matched by one Leave on the same thread; the
// section is free again after the last Leave. Leaving a section the thread does not hold is
// a fault of the caller. CriticalSectionLock enters for its lifetime. The section is
// thread-safe; it is neither copied nor moved, so a lock may point at it.
#pragma once

#include <mutex>

namespace commonobjects::platform {

class CriticalSection {
 public:
  CriticalSection() = default;
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  // Waits until no other thread holds the section, then holds it (once more).
  void Enter();
  // Releases one Enter of the calling thread.
  void Leave();
  // Holds the section when that needs no waiting; false (nothing held) otherwise.
  bool TryEnter();

 private:
  std::recursive_mutex mutex_;
};

// Holds a section from construction to destruction.
class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CriticalSection& section) : section_(section) { section_.Enter(); }
  ~CriticalSectionLock() { section_.Leave(); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  CriticalSection& section_;
};

}  // namespace commonobjects::platform
