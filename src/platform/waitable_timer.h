#pragma once

#include <chrono>
#include <memory>
#include <string_view>

#include "base/seam.h"

// A timer that one thread arms and waits on, and that any thread may cancel.
class WaitableTimer {
 public:
  virtual ~WaitableTimer() = default;

  // Arms the timer to fire once, its period from now; arming again starts the period anew.
  // False when the system refuses.
  virtual bool Arm() = 0;
  // Blocks until the armed period has passed (true) or the timer was cancelled (false).
  virtual bool Wait() = 0;
  // Wakes a waiting Wait and makes every later one return false at once. Any thread.
  virtual void Cancel() = 0;
};

// Creates waitable timers. Thread-safe.
class WaitableTimers : public Seam<WaitableTimers> {
 public:
  virtual ~WaitableTimers() = default;

  // A timer that fires `period` after each Arm. On Windows it is the named, manual-reset
  // waitable timer `name`; elsewhere the name is only informative. nullptr when the timer
  // cannot be created.
  virtual std::unique_ptr<WaitableTimer> Create(std::u16string_view name, std::chrono::milliseconds period) = 0;

  static WaitableTimers& System();
};
