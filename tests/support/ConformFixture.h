// A conform's world for a test: an in-memory registry, a Windows drive in a temporary folder
// (the temporary edit list and the reels live there), and the reading of a channel's value
// at a time, by which a conformed mix is compared with its source.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "commonobjects/eventstore/AutomationEventArray.h"
#include "support/TempFolder.h"
#include "support/TestConsole.h"

namespace testsupport {

// COMMONOBJECTS_ROOT names a fresh folder for the fixture's life, then what it named before.
class ScopedWindowsDrive {
 public:
  ScopedWindowsDrive() {
    if (const char* root = std::getenv("COMMONOBJECTS_ROOT")) saved_ = root;
    setenv("COMMONOBJECTS_ROOT", folder_.Path().c_str(), 1);
  }
  ~ScopedWindowsDrive() {
    saved_ ? setenv("COMMONOBJECTS_ROOT", saved_->c_str(), 1) : unsetenv("COMMONOBJECTS_ROOT");
  }
  ScopedWindowsDrive(const ScopedWindowsDrive&) = delete;
  ScopedWindowsDrive& operator=(const ScopedWindowsDrive&) = delete;

  // The native path of a file at the drive's root.
  std::string PathOf(const std::string& name) const { return folder_.PathOf(name); }
  const std::filesystem::path& Path() const { return folder_.Path(); }

 private:
  TempFolder folder_{"co-drive"};
  std::optional<std::string> saved_;
};

// The value of (path, proc, control) after every event at or before time, in array order;
// nullopt when no event of the channel lies at or before time.
inline std::optional<int16_t> ValueAt(const CAutomationEventArray& events, int32_t path, int proc,
                                      int control, int32_t time) {
  std::optional<int16_t> value;
  for (int32_t i = 0; i < events.GetSize(); ++i) {
    const CAutomationEvent& e = events[i];
    if (e.Time > time) continue;
    if (e.Path == path && e.Proc == proc && e.Control == control) value = e.Value;
  }
  return value;
}

}  // namespace testsupport
