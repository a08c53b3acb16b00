#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// One background thread that runs the jobs handed to it one after another, in the order
// they came: for slow work (an external command) whose callers must not wait for it, and
// whose changes must still land in order. The thread starts with the first job and lives
// as long as the process; the object may go first. Thread-safe.
class SerialWorker {
 public:
  void Post(std::function<void()> job) {
    std::lock_guard lock(state_->mu);
    state_->jobs.push_back(std::move(job));
    if (!state_->started) {
      state_->started = true;
      std::thread(Run, state_).detach();
    }
    state_->changed.notify_all();
  }

  // Waits until every job handed over so far has run, at most `bound`; returns whether
  // they have.
  bool WaitUntilIdle(std::chrono::milliseconds bound) {
    std::unique_lock lock(state_->mu);
    return state_->changed.wait_for(lock, bound, [this] { return state_->jobs.empty() && !state_->busy; });
  }

 private:
  struct State {
    std::mutex mu;
    std::condition_variable changed;
    std::deque<std::function<void()>> jobs;
    bool busy = false;
    bool started = false;
  };

  static void Run(std::shared_ptr<State> state) {
    std::unique_lock lock(state->mu);
    for (;;) {
      state->changed.wait(lock, [&state] { return !state->jobs.empty(); });
      std::function<void()> job = std::move(state->jobs.front());
      state->jobs.pop_front();
      state->busy = true;
      lock.unlock();
      job();
      job = nullptr;
      lock.lock();
      state->busy = false;
      state->changed.notify_all();
    }
  }

  std::shared_ptr<State> state_ = std::make_shared<State>();
};
