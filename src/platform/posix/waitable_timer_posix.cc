#include <condition_variable>
#include <mutex>

#include "platform/waitable_timer.h"

namespace {

class PosixWaitableTimer : public WaitableTimer {
 public:
  explicit PosixWaitableTimer(std::chrono::milliseconds period) : period_(period) {}

  bool Arm() override {
    std::lock_guard lock(mu_);
    due_ = std::chrono::steady_clock::now() + period_;
    armed_ = true;
    return true;
  }

  bool Wait() override {
    std::unique_lock lock(mu_);
    if (!armed_) return false;
    wake_.wait_until(lock, due_, [this] { return cancelled_; });
    return !cancelled_;
  }

  void Cancel() override {
    {
      std::lock_guard lock(mu_);
      cancelled_ = true;
    }
    wake_.notify_all();
  }

 private:
  const std::chrono::milliseconds period_;
  std::mutex mu_;
  std::condition_variable wake_;
  std::chrono::steady_clock::time_point due_;
  bool armed_ = false;
  bool cancelled_ = false;
};

class PosixWaitableTimers : public WaitableTimers {
 public:
  std::unique_ptr<WaitableTimer> Create(std::u16string_view, std::chrono::milliseconds period) override {
    return std::make_unique<PosixWaitableTimer>(period);
  }
};

}  // namespace

WaitableTimers& WaitableTimers::System() {
  static PosixWaitableTimers timers;
  return timers;
}
