#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

// Detached threads that an owner can wait for: a server starts one per connection and,
// before it frees what those threads use, waits until every one has finished.
// Thread-safe.
class ThreadGroup {
 public:
  ThreadGroup() = default;
  ThreadGroup(const ThreadGroup&) = delete;
  ThreadGroup& operator=(const ThreadGroup&) = delete;
  ~ThreadGroup() { WaitForAll(); }

  // Runs `work` on a new thread. Returns false when no thread could be started (the
  // system's limit is reached); `work` is then destroyed without running.
  bool Spawn(std::function<void()> work) {
    {
      std::lock_guard lock(mu_);
      ++running_;
    }
    try {
      std::thread([this, work = std::move(work)]() mutable {
        work();
        work = nullptr;  // what the work holds is released before the owner may go
        std::lock_guard lock(mu_);
        // Notified under the lock, so the group cannot be destroyed by a waiter that saw
        // zero before this thread is done with it.
        if (--running_ == 0) done_.notify_all();
      }).detach();
      return true;
    } catch (const std::system_error&) {
      std::lock_guard lock(mu_);
      if (--running_ == 0) done_.notify_all();
      return false;
    }
  }

  void WaitForAll() {
    std::unique_lock lock(mu_);
    done_.wait(lock, [this] { return running_ == 0; });
  }

  int Running() {
    std::lock_guard lock(mu_);
    return running_;
  }

 private:
  std::mutex mu_;
  std::condition_variable done_;
  int running_ = 0;
};
