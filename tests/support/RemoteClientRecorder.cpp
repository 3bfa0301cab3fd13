#include "support/RemoteClientRecorder.h"

#include <sstream>

#include "commonobjects/conform/RemoteConformClient.h"

namespace testsupport {

RemoteClientRecorder::RemoteClientRecorder(bool noClients, int32_t callDelayMicroseconds)
    : library_(FAKE_REMOTE_CLIENT_PATH) {
  auto reset = library_.Function<void (*)(int32_t, int32_t)>("FakeRemoteClientReset");
  if (reset != nullptr) reset(noClients ? 1 : 0, callDelayMicroseconds);
}

std::vector<std::string> RemoteClientRecorder::TakeCalls() {
  auto take = library_.Function<const char* (*)()>("FakeRemoteClientTakeLog");
  std::vector<std::string> calls;
  if (take == nullptr) return calls;
  std::istringstream lines(take());
  for (std::string line; std::getline(lines, line);) calls.push_back(line);
  return calls;
}

int32_t RemoteClientRecorder::Overlaps() const {
  auto overlaps = library_.Function<int32_t (*)()>("FakeRemoteClientOverlaps");
  return overlaps != nullptr ? overlaps() : -1;
}

}  // namespace testsupport
