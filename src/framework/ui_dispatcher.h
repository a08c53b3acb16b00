#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "base/thread_annotations.h"

// A way for an owner to release the threads that wait in UiDispatcher::Send before it
// waits for those threads itself (a server's stop, say, while a request thread waits for
// the user-interface thread that is stopping the server). Thread-safe.
class SendGate {
 public:
  SendGate() = default;
  SendGate(const SendGate&) = delete;
  SendGate& operator=(const SendGate&) = delete;

  // From now on, sends through this gate return false without running, and waiting
  // senders return at once. Call on the user-interface thread.
  void Close();
  bool IsClosed() const { return closed_; }

 private:
  std::atomic<bool> closed_{false};
};

// Work handed to the user-interface thread by other threads: posted (queued, not waited
// for) or sent (queued, and the sender waits until it has run). The backend wakes the
// user-interface thread whenever work arrives, and that thread runs it in order.
//
// Thread-safe. The thread that constructs the dispatcher is the user-interface thread.
class UiDispatcher {
 public:
  // `wake` is called on the posting thread after each queued task; it must make the
  // user-interface thread call RunPending soon.
  explicit UiDispatcher(std::function<void()> wake);
  ~UiDispatcher();

  bool IsUiThread() const { return std::this_thread::get_id() == ui_thread_; }

  // Queues `task`. With a gate, a task still queued when the gate closes is dropped.
  void Post(std::function<void()> task, SendGate* gate = nullptr);

  // Runs `task` on the user-interface thread and returns once it has run (at once on that
  // thread itself). Returns false, without running it, when the gate (or the dispatcher's
  // own, closed by Shutdown) is closed first. `task` must not refer to the sender's
  // locals: a closed gate lets the sender return before the task is dropped.
  bool Send(std::function<void()> task, SendGate* gate = nullptr);

  // Runs the tasks queued so far; on the user-interface thread. Returns how many ran.
  int RunPending();
  // Waits until a task is queued or `timeout_ms` passes (negative: no limit); for a
  // message loop that has nothing else to wait on.
  void WaitForWork(int timeout_ms);

  // Releases every sender and refuses further sends; queued tasks are dropped.
  void Shutdown();

 private:
  const std::thread::id ui_thread_;
  const std::function<void()> wake_;
  SendGate own_gate_;
  std::mutex mu_;
  std::condition_variable queued_;
  std::deque<std::function<void()>> tasks_ GUARDED_BY(mu_);
};
