#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/waitable_timer.h"

// Waitable timers that fire only when the test says so, so a count of minutes runs without
// waiting. Thread-safe.
class ManualTimers : public WaitableTimers {
 public:
  std::unique_ptr<WaitableTimer> Create(std::u16string_view name, std::chrono::milliseconds period) override {
    std::lock_guard lock(mu_);
    names.emplace_back(name);
    periods.push_back(period);
    if (fail_creation) return nullptr;
    cancelled_ = false;
    return std::make_unique<Timer>(*this);
  }

  // Fires the armed timer once and returns when the waiting thread has handled the firing
  // and waits again (or after five seconds).
  void Fire() { FireAndWait(true); }
  // Fires the armed timer once and returns when the waiting thread has taken the firing;
  // for a firing after which the thread ends.
  void FireLast() { FireAndWait(false); }

  bool fail_creation = false;
  std::vector<std::u16string> names;
  std::vector<std::chrono::milliseconds> periods;

 private:
  class Timer : public WaitableTimer {
   public:
    explicit Timer(ManualTimers& owner) : owner_(owner) {}
    bool Arm() override { return true; }
    bool Wait() override { return owner_.WaitForFire(); }
    void Cancel() override { owner_.CancelAll(); }

   private:
    ManualTimers& owner_;
  };

  void FireAndWait(bool until_waiting_again) {
    std::unique_lock lock(mu_);
    ++fires_;
    changed_.notify_all();
    changed_.wait_for(lock, std::chrono::seconds(5), [&] {
      return fires_ == 0 && (!until_waiting_again || waits_started_ > taken_in_wait_);
    });
  }
  bool WaitForFire() {
    std::unique_lock lock(mu_);
    ++waits_started_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return fires_ > 0 || cancelled_; });
    if (cancelled_) return false;
    --fires_;
    taken_in_wait_ = waits_started_;
    changed_.notify_all();
    return true;
  }
  void CancelAll() {
    std::lock_guard lock(mu_);
    cancelled_ = true;
    changed_.notify_all();
  }

  std::mutex mu_;
  std::condition_variable changed_;
  int fires_ = 0;
  int waits_started_ = 0;
  int taken_in_wait_ = 0;  // the wait that took the last firing
  bool cancelled_ = false;
};
