#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/thread_annotations.h"

// Threads that an owner can wait for: a server runs each connection's work on one and,
// before it frees what that work uses, waits until every thread has finished.
//
// A thread whose work is done waits up to `idle_keep` for the next work before it ends (at
// most `max_idle` threads wait at once), so that a busy server does not start a thread per
// connection: starting one costs more than a small page's whole filtering, and a new
// thread also faults in a fresh stack and opens its per-thread state (the text converters)
// again.
//
// Thread-safe.
class ThreadGroup {
 public:
  static constexpr std::chrono::milliseconds kDefaultIdleKeep{2000};
  // Each waiting thread holds its stack and its allocator cache: past this many waiting,
  // a thread whose work is done ends.
  static constexpr size_t kDefaultMaxIdle = 16;

  explicit ThreadGroup(std::chrono::milliseconds idle_keep = kDefaultIdleKeep, size_t max_idle = kDefaultMaxIdle)
      : idle_keep_(idle_keep), max_idle_(max_idle) {}
  ThreadGroup(const ThreadGroup&) = delete;
  ThreadGroup& operator=(const ThreadGroup&) = delete;
  ~ThreadGroup() { WaitForAll(); }

  // Runs `work` on a waiting thread, or on a new one when none waits. Returns false when
  // no thread could be started (the system's limit is reached); `work` is then destroyed
  // without running.
  bool Spawn(std::function<void()> work) {
    {
      std::lock_guard lock(mu_);
      if (idle_ > queued_.size()) {
        queued_.push_back(std::move(work));
        work_queued_.notify_one();
        return true;
      }
      ++threads_;
    }
    try {
      std::thread([this, work = std::move(work)]() mutable { Serve(std::move(work)); }).detach();
      return true;
    } catch (const std::system_error&) {
      std::lock_guard lock(mu_);
      if (--threads_ == 0) ended_.notify_all();
      return false;
    }
  }

  // Waits until all work has finished and every thread has ended: waiting threads end at
  // once. Work spawned meanwhile is waited for as well.
  void WaitForAll() {
    std::unique_lock lock(mu_);
    closing_ = true;
    work_queued_.notify_all();
    ended_.wait(lock, [this] { return threads_ == 0; });
    closing_ = false;
  }

  // The threads running work now.
  int Running() {
    std::lock_guard lock(mu_);
    return threads_ - static_cast<int>(idle_);
  }
  // The threads waiting for work.
  int Idle() {
    std::lock_guard lock(mu_);
    return static_cast<int>(idle_);
  }

 private:
  void Serve(std::function<void()> work) {
    for (;;) {
      work();
      work = nullptr;  // what the work holds is released before the owner may go
      std::unique_lock lock(mu_);
      if (idle_ < max_idle_) {
        ++idle_;
        work_queued_.wait_for(lock, idle_keep_, [this] { return !queued_.empty() || closing_; });
        --idle_;
      }
      if (queued_.empty()) {
        // Notified under the lock, so the group cannot be destroyed by a waiter that saw
        // zero before this thread is done with it.
        if (--threads_ == 0) ended_.notify_all();
        return;
      }
      work = std::move(queued_.front());
      queued_.pop_front();
    }
  }

  const std::chrono::milliseconds idle_keep_;
  const size_t max_idle_;
  std::mutex mu_;
  std::condition_variable work_queued_;
  std::condition_variable ended_;
  std::deque<std::function<void()>> queued_ GUARDED_BY(mu_);
  size_t idle_ GUARDED_BY(mu_) = 0;
  int threads_ GUARDED_BY(mu_) = 0;  // running work or waiting for it
  bool closing_ GUARDED_BY(mu_) = false;
};
