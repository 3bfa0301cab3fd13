// Window messages without windows: a process-wide notification hub.
//
// Hosts register endpoints by window class name ("TavmirStatusWindow", "TavmirUniqueClass");
// the library finds an endpoint by class and posts (message, code, param) to it or to every
// endpoint (HWND_BROADCAST). Posting never blocks and never fails the caller: a message is
// enqueued, and the endpoint's owner drains its queue on its own thread, or the endpoint
// delivers to a callback on a dispatch thread that the endpoint owns.
// Message numbers are registered by name: one stable number per name, from 0xC000 up.
//
// Invariants:
//  1. Message names and class names compare without regard to ASCII case, as on Windows.
//  2. Handles are non-null, never equal BroadcastHandle(), and never reused in the process.
//  3. Messages posted from one thread to one endpoint arrive in posting order.
//  4. Each endpoint queues at most kEndpointQueueLimit messages; posting to a full queue
//     drops its oldest message, so a host that stops draining sees the latest progress.
// Posting takes only short locks and never waits for a consumer. An endpoint that is being
// destroyed while others post to it is safe: its state is shared, and the hub holds it
// weakly. Everything here is thread-safe.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct HWND__;
using HWND = HWND__*;  // an endpoint handle; null means none

namespace commonobjects::platform {

// The "all endpoints" target, as Windows' HWND_BROADCAST.
inline HWND BroadcastHandle() { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xFFFF)); }

// Messages an endpoint holds before posting drops the oldest (Windows' own posted-message
// limit per queue).
inline constexpr std::size_t kEndpointQueueLimit = 10000;

struct PostedMessage {
  uint32_t message = 0;  // registered message number
  uint32_t code = 0;     // wParam: what is reporting
  int32_t param = 0;     // lParam: a percentage or count
  bool operator==(const PostedMessage&) const = default;
};

// The number of a named message: the same number for the same name (ASCII case ignored) for
// the life of the process, 0xC000 for the first name registered, counting up to 0xFFFF.
// 0 (no message) for the empty name and once all 0x4000 numbers are taken.
uint32_t RegisterMessage(std::string_view name);

// The live endpoint registered under the class name (ASCII case ignored; the most recently
// registered one when several are), or null.
HWND FindEndpoint(std::string_view className);

// Enqueues the message at the target (BroadcastHandle(): at every live endpoint, and true
// even when there is none). Returns false, without any other effect, when the target is
// null or an endpoint that does not exist (any more).
bool PostToEndpoint(HWND target, uint32_t message, uint32_t code, int32_t param);

// A host endpoint, registered under a class name for its lifetime.
class Endpoint {
 public:
  // Called on the endpoint's dispatch thread, one message at a time. It may post (also to
  // its own endpoint) and find endpoints; it must not destroy its own endpoint or throw.
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
  // Takes every queued message, oldest first. Always empty for a callback endpoint, whose
  // messages belong to its callback.
  std::vector<PostedMessage> Drain();
  // Waits until at least one message is queued or the timeout passes, then drains. Returns
  // at once, empty, for a callback endpoint.
  std::vector<PostedMessage> WaitAndDrain(std::chrono::milliseconds timeout);
  // Messages dropped so far because the queue was full.
  std::uint64_t DroppedCount() const;

  struct State;  // shared with the hub

 private:
  std::shared_ptr<State> state_;
  std::thread dispatcher_;  // runs only for a callback endpoint
};

}  // namespace commonobjects::platform
