// RemoteClientRecorder: the test's handle on the fake remote conform client library
// (tests/fakes/FakeRemoteClient.cpp), loaded by its full path. Holding it keeps the fake
// loaded, so the conform client's load by name finds this one (by its soname) and its log
// survives the clients that load and unload it. Building one clears the log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commonobjects/platform/DynamicLibrary.h"

namespace testsupport {

class RemoteClientRecorder {
 public:
  // noClients: the fake's create call gives handle 0; callDelayMicroseconds: each call
  // waits this long while it runs, so that overlapping calls are seen.
  explicit RemoteClientRecorder(bool noClients = false, int32_t callDelayMicroseconds = 0);

  bool IsLoaded() const { return library_.IsLoaded(); }
  const std::string& Error() const { return library_.Error(); }
  // The calls made since the last TakeCalls (or construction), one "name arg ..." each.
  std::vector<std::string> TakeCalls();
  // How many calls started while another was running.
  int32_t Overlaps() const;

 private:
  commonobjects::platform::DynamicLibrary library_;
};

}  // namespace testsupport
