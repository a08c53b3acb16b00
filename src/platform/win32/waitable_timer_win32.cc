#include "platform/waitable_timer.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

namespace {

class Win32WaitableTimer : public WaitableTimer {
 public:
  Win32WaitableTimer(HANDLE timer, HANDLE cancelled, std::chrono::milliseconds period)
      : timer_(timer), cancelled_(cancelled), period_(period) {}
  ~Win32WaitableTimer() override {
    CloseHandle(timer_);
    CloseHandle(cancelled_);
  }

  bool Arm() override {
    // A negative due time is relative, in units of 100 nanoseconds.
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(period_.count()) * 10000;
    return SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE) != FALSE;
  }

  bool Wait() override {
    // The cancel event comes first, so a cancelled timer never reports a firing.
    HANDLE handles[] = {cancelled_, timer_};
    return WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
  }

  void Cancel() override { SetEvent(cancelled_); }

 private:
  HANDLE timer_;
  HANDLE cancelled_;
  const std::chrono::milliseconds period_;
};

class Win32WaitableTimers : public WaitableTimers {
 public:
  std::unique_ptr<WaitableTimer> Create(std::u16string_view name, std::chrono::milliseconds period) override {
    HANDLE timer = CreateWaitableTimerW(nullptr, TRUE, ToWideString(name).c_str());
    if (timer == nullptr) return nullptr;
    HANDLE cancelled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (cancelled == nullptr) {
      CloseHandle(timer);
      return nullptr;
    }
    return std::make_unique<Win32WaitableTimer>(timer, cancelled, period);
  }
};

}  // namespace

WaitableTimers& WaitableTimers::System() {
  static Win32WaitableTimers timers;
  return timers;
}
