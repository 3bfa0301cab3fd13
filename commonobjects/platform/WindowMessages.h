// Window messages without windows: a process-wide notification hub.
//
// Hosts register endpoints by window class name ("TavmirStatusWindow", "TavmirUniqueClass");
// the library finds an endpoint by class and posts (message, code, param) to it or to every
// endpoint (HWND_BROADCAST). Posting never blocks and never fails the caller: a message is
// enqueued, and the endpoint's owner drains its queue on its own thread, or the endpoint
// delivers to a callback on a dispatch thread that the endpoint owns.
// Message numbers are registered by name: one stable number per name, from 0xC000 up.
// Everything here is thread-safe.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct HWND__;
using HWND = HWND__*;  // an endpoint handle; null means none

namespace commonobjects::platform {

// The "all endpoints" target, as Windows' HWND_BROADCAST.
inline HWND BroadcastHandle() { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xFFFF)); }

struct PostedMessage {
  uint32_t message = 0;  // registered message number
  uint32_t code = 0;     // wParam: what is reporting
  int32_t param = 0;     // lParam: a percentage or count
  bool operator==(const PostedMessage&) const = default;
};

// The number of a named message: the same number for the same name for the life of the
// process, 0xC000 for the first name registered, counting up.
uint32_t RegisterMessage(std::string_view name);

// The endpoint registered under the class name (the most recently registered one when
// several are), or null.
HWND FindEndpoint(std::string_view className);

// Enqueues the message at the target (HWND_BROADCAST: at every endpoint). Returns false,
// without any other effect, when the target does not exist.
bool PostToEndpoint(HWND target, uint32_t message, uint32_t code, int32_t param);

// A host endpoint, registered under a class name for its lifetime.
class Endpoint {
 public:
  using Callback = std::function<void(const PostedMessage&)>;

  // Messages are queued until Drain or WaitAndDrain takes them.
  explicit Endpoint(std::string className);
  // Messages are delivered, in posting order, to the callback on a thread the endpoint
  // owns; the destructor delivers what is queued, then joins it.
  Endpoint(std::string className, Callback callback);
  ~Endpoint();
  Endpoint(const Endpoint&) = delete;
  Endpoint& operator=(const Endpoint&) = delete;

  HWND Handle() const;
  const std::string& ClassName() const;
  // Takes every queued message, oldest first.
  std::vector<PostedMessage> Drain();
  // Waits until at least one message is queued or the timeout passes, then drains.
  std::vector<PostedMessage> WaitAndDrain(std::chrono::milliseconds timeout);

  struct State;  // shared with the hub

 private:
  std::shared_ptr<State> state_;
};

}  // namespace commonobjects::platform
