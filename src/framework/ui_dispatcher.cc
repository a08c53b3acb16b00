#include "framework/ui_dispatcher.h"

#include <chrono>
#include <memory>

namespace {

// One lock and signal for every waiting sender: sends are few (a counter redraw, a
// settings request), and one signal lets a gate release senders of any dispatcher.
std::mutex& SendMutex() {
  static std::mutex mu;
  return mu;
}
std::condition_variable& SendSignal() {
  static std::condition_variable signal;
  return signal;
}

// The state of one send, shared by the sender and the queued task. Destroying the task
// without running it (a shut-down queue) also finishes the send.
struct SendState {
  bool finished = false;
  bool ran = false;
};

class SendCompletion {
 public:
  explicit SendCompletion(std::shared_ptr<SendState> state) : state_(std::move(state)) {}
  SendCompletion(const SendCompletion&) = delete;
  SendCompletion& operator=(const SendCompletion&) = delete;
  ~SendCompletion() { Finish(false); }
  void Finish(bool ran) {
    std::lock_guard lock(SendMutex());
    if (state_->finished) return;
    state_->finished = true;
    state_->ran = ran;
    SendSignal().notify_all();
  }

 private:
  std::shared_ptr<SendState> state_;
};

}  // namespace

void SendGate::Close() {
  std::lock_guard lock(SendMutex());
  closed_ = true;
  SendSignal().notify_all();
}

UiDispatcher::UiDispatcher(std::function<void()> wake)
    : ui_thread_(std::this_thread::get_id()), wake_(std::move(wake)) {}

UiDispatcher::~UiDispatcher() { Shutdown(); }

void UiDispatcher::Post(std::function<void()> task, SendGate* gate) {
  {
    std::lock_guard lock(mu_);
    tasks_.push_back([gate, task = std::move(task)] {
      if (gate == nullptr || !gate->IsClosed()) task();
    });
  }
  queued_.notify_all();
  if (wake_) wake_();
}

bool UiDispatcher::Send(std::function<void()> task, SendGate* gate) {
  auto closed = [&] { return own_gate_.IsClosed() || (gate != nullptr && gate->IsClosed()); };
  if (closed()) return false;
  if (IsUiThread()) {
    task();
    return true;
  }
  auto state = std::make_shared<SendState>();
  auto completion = std::make_shared<SendCompletion>(state);
  {
    std::lock_guard lock(mu_);
    tasks_.push_back([this, gate, completion, task = std::move(task)] {
      // Gates are closed on this same thread, so a gate open here stays open while the
      // task runs, and its sender is still waiting.
      if (own_gate_.IsClosed() || (gate != nullptr && gate->IsClosed())) return;
      task();
      completion->Finish(true);
    });
  }
  queued_.notify_all();
  if (wake_) wake_();
  std::unique_lock lock(SendMutex());
  SendSignal().wait(lock, [&] { return state->finished || closed(); });
  return state->ran;
}

int UiDispatcher::RunPending() {
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard lock(mu_);
    batch.swap(tasks_);
  }
  int ran = 0;
  for (auto& task : batch) {
    task();
    ++ran;
  }
  return ran;
}

void UiDispatcher::WaitForWork(int timeout_ms) {
  std::unique_lock lock(mu_);
  if (timeout_ms < 0) {
    queued_.wait(lock, [this] { return !tasks_.empty(); });
  } else {
    queued_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return !tasks_.empty(); });
  }
}

void UiDispatcher::Shutdown() {
  own_gate_.Close();
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(mu_);
    dropped.swap(tasks_);
  }
}
