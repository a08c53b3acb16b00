#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "base/thread_annotations.h"
#include "core/window_patrol_control.h"

class CWordFilter;
class TopLevelWindows;

// How long the patrol waits for what.
struct PatrolTiming {
  std::chrono::milliseconds period{3000};        // between two passes
  std::chrono::milliseconds confirm_delay{100};  // before answering a closed window's question
  uint32_t close_timeout_ms = 1000;              // for a window to handle the close request
};

// Waits `duration` (zero: not at all) and returns whether the patrol is still on.
using PatrolPause = std::function<bool(std::chrono::milliseconds duration)>;

// One pass of the patrol over every top-level window. A visible window without a parent
// whose title (at most 259 units) the white filter does not clear, that does not hold
// "mm", and that the black filter bans is asked to close, and nothing more: its program
// decides. When the window is still there afterwards (its program may be asking whether
// to close) and can be brought to the front, the patrol waits `timing.confirm_delay` and
// presses Enter in the foreground window, but only when that window belongs to the same
// program: a keystroke never lands in whatever other program happens to be in front.
// A window that does not answer within `timing.close_timeout_ms` is left for the next pass.
// The pass ends early once `pause` reports the patrol off.
void PatrolWindows(TopLevelWindows& windows, const CWordFilter& black, const CWordFilter& white,
                   const PatrolTiming& timing, const PatrolPause& pause);

// The window patrol of the program: one thread that runs PatrolWindows on
// TopLevelWindows::Current() at once and then after every period, until stopped.
//
// Start and Stop are called on the user-interface thread. Stop wakes the thread and waits
// for it, so turning the patrol off and on again never leaves two threads, and once Stop
// returns the filters may go. The wait is bounded by one close request's time limit.
class CWindowPatrol : public WindowPatrolControl {
 public:
  explicit CWindowPatrol(PatrolTiming timing = {}) : timing_(timing) {}
  ~CWindowPatrol() override { Stop(); }
  CWindowPatrol(const CWindowPatrol&) = delete;
  CWindowPatrol& operator=(const CWindowPatrol&) = delete;

  void Start(const CWordFilter& black, const CWordFilter& white) override;
  void Stop() override;

  bool IsRunning() const { return thread_.joinable(); }
  // Patrol threads that have not ended yet; at most one.
  int ThreadsAlive() const { return threads_alive_.load(); }

 private:
  void Run(const CWordFilter& black, const CWordFilter& white);
  bool Pause(std::chrono::milliseconds duration);

  const PatrolTiming timing_;
  std::thread thread_;
  std::atomic<int> threads_alive_{0};
  std::mutex mu_;
  std::condition_variable wake_;
  bool stopping_ GUARDED_BY(mu_) = false;
};
