// A stand-in for the picture-editing system's remote conform client library, built as
// libXCIRemoteClient.so for the tests. Every call appends one line to a log ("name arg
// arg ..."), fills the whole message buffer, and notes when two calls run at once. The
// test reads and clears the log through the FakeRemoteClient* functions, looked up like the
// entry points. Thread-safe.
#include <atomic>
#include <chrono>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>

#include "commonobjects/conform/RemoteConformClientApi.h"

namespace {

struct FakeState {
  std::mutex mutex;
  std::string log;
  std::string taken;
  int32_t nextClient = 1;
  bool noClients = false;
  std::atomic<int32_t> inCall{0};
  std::atomic<int32_t> overlaps{0};
  std::atomic<int32_t> callDelayMicroseconds{0};
};

FakeState& State() {
  static FakeState state;
  return state;
}

// Marks a call as running for its lifetime, waiting the configured delay inside it so that a
// call from another thread would overlap it.
class CallScope {
 public:
  CallScope() {
    if (State().inCall.fetch_add(1) != 0) State().overlaps.fetch_add(1);
    std::this_thread::sleep_for(std::chrono::microseconds(State().callDelayMicroseconds.load()));
  }
  ~CallScope() { State().inCall.fetch_sub(1); }
};

void Record(const std::string& line) {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().log += line + "\n";
}

// The caller owns XCI_MESSAGE_BYTES bytes; writing all of them shows a shorter buffer up.
void FillMessage(char* message, const char* text) {
  std::memset(message, '.', XCI_MESSAGE_BYTES - 1);
  message[XCI_MESSAGE_BYTES - 1] = '\0';
  std::memcpy(message, text, std::strlen(text));
}

std::string Numbers(std::initializer_list<int32_t> values) {
  std::string text;
  for (int32_t value : values) text += " " + std::to_string(value);
  return text;
}

}  // namespace

extern "C" {

int32_t fnCreateXCIProjectClient(int32_t* client, const char* serverName, char* message) {
  CallScope scope;
  int32_t handle = 0;
  {
    std::lock_guard<std::mutex> lock(State().mutex);
    if (!State().noClients) handle = State().nextClient++;
  }
  *client = handle;
  FillMessage(message, "created");
  Record(std::string("fnCreateXCIProjectClient ") + serverName + Numbers({handle}));
  return 77;
}

int32_t fnDestroyXCIProjectClient(int32_t client) {
  CallScope scope;
  Record("fnDestroyXCIProjectClient" + Numbers({client}));
  return 1;
}

int32_t fnSetSystemSampleRate(int32_t client, int32_t rate, char* message) {
  CallScope scope;
  FillMessage(message, "sample rate");
  Record("fnSetSystemSampleRate" + Numbers({client, rate}));
  return 1;
}

int32_t fnSetSystemFrameRate(int32_t client, int32_t code, int32_t dropFrame, char* message) {
  CallScope scope;
  FillMessage(message, "frame rate");
  Record("fnSetSystemFrameRate" + Numbers({client, code, dropFrame}));
  return 1;
}

int32_t fnInitiateReconform(int32_t client) {
  CallScope scope;
  Record("fnInitiateReconform" + Numbers({client}));
  return 1;
}

int32_t fnAddConformEntry(int32_t client, int32_t track, int32_t sourceIn, int32_t sourceOut, int32_t destIn,
                          int32_t destOut, char* message) {
  CallScope scope;
  FillMessage(message, "entry");
  Record("fnAddConformEntry" + Numbers({client, track, sourceIn, sourceOut, destIn, destOut}));
  return 1;
}

int32_t fnDoTheConform(int32_t client, char* message) {
  CallScope scope;
  FillMessage(message, "conformed");
  Record("fnDoTheConform" + Numbers({client}));
  return 1;
}

// Never called by the conform client: each logs its call so that a test would see one.
int32_t fnCreateXCIControlClient(void) { Record("fnCreateXCIControlClient"); return 0; }
int32_t fnDestroyXCIControlClient(void) { Record("fnDestroyXCIControlClient"); return 0; }
int32_t fnCreateXCIMeteringClient(void) { Record("fnCreateXCIMeteringClient"); return 0; }
int32_t fnDestroyXCIMeteringClient(void) { Record("fnDestroyXCIMeteringClient"); return 0; }
int32_t fnCreateXCIThinEditClient(void) { Record("fnCreateXCIThinEditClient"); return 0; }
int32_t fnDestroyXCIThinEditClient(void) { Record("fnDestroyXCIThinEditClient"); return 0; }
int32_t fnCreateXCIFullEditClient(void) { Record("fnCreateXCIFullEditClient"); return 0; }

// The test's side. The returned log is valid until the next FakeRemoteClientTakeLog.
const char* FakeRemoteClientTakeLog(void) {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().taken = std::move(State().log);
  State().log.clear();
  return State().taken.c_str();
}

// Clears the log and the overlap count; client handles count from 1 again, or are all 0
// (no client) when noClients is nonzero; each call then waits callDelayMicroseconds.
void FakeRemoteClientReset(int32_t noClients, int32_t callDelayMicroseconds) {
  std::lock_guard<std::mutex> lock(State().mutex);
  State().log.clear();
  State().nextClient = 1;
  State().noClients = noClients != 0;
  State().overlaps = 0;
  State().callDelayMicroseconds = callDelayMicroseconds;
}

int32_t FakeRemoteClientOverlaps(void) { return State().overlaps.load(); }

}  // extern "C"
