#include "commonobjects/platform/WindowMessages.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace commonobjects::platform {

struct Endpoint::State {
  std::string className;
  HWND handle = nullptr;
  Callback callback;  // empty for a queue endpoint

  std::mutex mutex;
  std::condition_variable changed;
  std::deque<PostedMessage> queue;  // guarded by mutex
  std::uint64_t dropped = 0;        // guarded by mutex
  bool closing = false;             // guarded by mutex: the dispatcher ends once the queue is empty

  void Enqueue(const PostedMessage& message) {
    {
      std::lock_guard lock(mutex);
      if (queue.size() >= kEndpointQueueLimit) {
        queue.pop_front();
        ++dropped;
      }
      queue.push_back(message);
    }
    changed.notify_all();
  }
};

namespace {

constexpr uint32_t kFirstMessage = 0xC000;
constexpr uint32_t kLastMessage = 0xFFFF;
// Handles start above the broadcast value and count up, so none is ever 0xFFFF or reused.
constexpr std::uintptr_t kFirstHandle = 0x10000;
constexpr std::uintptr_t kHandleStep = 0x10;

std::string FoldCase(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// The registered message names; process-wide, as Windows keeps them.
class MessageTable {
 public:
  uint32_t Register(std::string_view name) {
    if (name.empty()) return 0;
    std::string key = FoldCase(name);
    std::lock_guard lock(mutex_);
    auto found = numbers_.find(key);
    if (found != numbers_.end()) return found->second;
    if (next_ > kLastMessage) return 0;
    uint32_t number = next_++;
    numbers_.emplace(std::move(key), number);
    return number;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<std::string, uint32_t> numbers_;
  uint32_t next_ = kFirstMessage;
};

// The live endpoints in order of registration. Entries hold their state weakly, and an
// endpoint removes its entry before its state goes away.
class EndpointTable {
 public:
  HWND Add(const std::shared_ptr<Endpoint::State>& state) {
    std::lock_guard lock(mutex_);
    HWND handle = reinterpret_cast<HWND>(nextHandle_);
    nextHandle_ += kHandleStep;
    entries_.push_back(Entry{FoldCase(state->className), handle, state});
    return handle;
  }

  void Remove(HWND handle) {
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [handle](const Entry& entry) { return entry.handle == handle; });
  }

  HWND Find(std::string_view className) {
    std::string key = FoldCase(className);
    std::lock_guard lock(mutex_);
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
      if (entry->classKey == key && !entry->state.expired()) return entry->handle;
    }
    return nullptr;
  }

  // The live states a post to `target` reaches.
  std::vector<std::shared_ptr<Endpoint::State>> Targets(HWND target) {
    std::vector<std::shared_ptr<Endpoint::State>> targets;
    std::lock_guard lock(mutex_);
    for (const Entry& entry : entries_) {
      if (target != BroadcastHandle() && entry.handle != target) continue;
      if (auto state = entry.state.lock()) targets.push_back(std::move(state));
    }
    return targets;
  }

 private:
  struct Entry {
    std::string classKey;
    HWND handle;
    std::weak_ptr<Endpoint::State> state;
  };
  std::mutex mutex_;
  std::vector<Entry> entries_;
  std::uintptr_t nextHandle_ = kFirstHandle;
};

// Made on first use, so that an endpoint living in a static object outlives neither table.
MessageTable& Messages() {
  static MessageTable table;
  return table;
}

EndpointTable& Endpoints() {
  static EndpointTable table;
  return table;
}

void Dispatch(Endpoint::State& state) {
  std::unique_lock lock(state.mutex);
  for (;;) {
    state.changed.wait(lock, [&state] { return state.closing || !state.queue.empty(); });
    if (state.queue.empty()) return;  // closing, and everything is delivered
    PostedMessage message = state.queue.front();
    state.queue.pop_front();
    lock.unlock();  // the callback may post, also to this endpoint
    state.callback(message);
    lock.lock();
  }
}

}  // namespace

uint32_t RegisterMessage(std::string_view name) { return Messages().Register(name); }

HWND FindEndpoint(std::string_view className) { return Endpoints().Find(className); }

bool PostToEndpoint(HWND target, uint32_t message, uint32_t code, int32_t param) {
  if (target == nullptr) return false;
  auto targets = Endpoints().Targets(target);
  if (targets.empty()) return target == BroadcastHandle();
  for (const auto& state : targets) state->Enqueue(PostedMessage{message, code, param});
  return true;
}

Endpoint::Endpoint(std::string className) : Endpoint(std::move(className), Callback()) {}

Endpoint::Endpoint(std::string className, Callback callback)
    : state_(std::make_shared<State>()) {
  state_->className = std::move(className);
  state_->callback = std::move(callback);
  state_->handle = Endpoints().Add(state_);
  // Messages posted before the dispatcher starts wait in the queue. Should starting it
  // fail, the entry left behind is dead: its state expires with this constructor.
  if (state_->callback) dispatcher_ = std::thread(Dispatch, std::ref(*state_));
}

Endpoint::~Endpoint() {
  Endpoints().Remove(state_->handle);
  if (!dispatcher_.joinable()) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->closing = true;
  }
  state_->changed.notify_all();
  dispatcher_.join();
}

HWND Endpoint::Handle() const { return state_->handle; }

const std::string& Endpoint::ClassName() const { return state_->className; }

std::vector<PostedMessage> Endpoint::Drain() {
  return WaitAndDrain(std::chrono::milliseconds(0));
}

std::vector<PostedMessage> Endpoint::WaitAndDrain(std::chrono::milliseconds timeout) {
  if (state_->callback) return {};
  std::unique_lock lock(state_->mutex);
  if (timeout.count() > 0) {
    state_->changed.wait_for(lock, timeout, [this] { return !state_->queue.empty(); });
  }
  std::vector<PostedMessage> taken(state_->queue.begin(), state_->queue.end());
  state_->queue.clear();
  return taken;
}

std::uint64_t Endpoint::DroppedCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->dropped;
}

}  // namespace commonobjects::platform
