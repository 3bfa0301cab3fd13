// The package's busy state for the length of a save, load or clear: holds the package's lock
// and its idle flag at 0, and gives back the flag as it found it (so a load that calls a load
// of an open file stays busy until the outer one ends). Private to package/.
#pragma once

#include "commonobjects/package/AutomationPackage.h"
#include "commonobjects/platform/CriticalSection.h"

class CAutomationPackage::BusyScope {
 public:
  explicit BusyScope(CAutomationPackage& package) : package_(package) {
    package_.Lock->Enter();
    previous_ = package_.Idle;
    package_.Idle = 0;
  }
  ~BusyScope() {
    package_.Idle = previous_;
    package_.Lock->Leave();  // nothing of the package is touched after this
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  CAutomationPackage& package_;
  int32_t previous_ = 1;
};
