#pragma once

#include <memory>
#include <thread>

#include "core/forced_mode.h"
#include "platform/waitable_timer.h"

// The forced mode's count of minutes: a thread that takes one minute off a record's
// remaining minutes, and writes them to TimeRemaining, each time the named timer
// "JieSeTimer" fires, once a minute. While it counts, the record's `running` and the
// setup's JieSeActive are set; both are cleared one minute after the count reached 0,
// when the thread ends.
//
// Start and Stop on one thread (the user-interface thread).
class ForcedCountdown {
 public:
  static constexpr std::chrono::minutes kPeriod{1};

  ForcedCountdown() = default;
  ~ForcedCountdown() { Stop(); }
  ForcedCountdown(const ForcedCountdown&) = delete;
  ForcedCountdown& operator=(const ForcedCountdown&) = delete;

  // Starts counting `record` down unless a count runs; `record` must outlive the count
  // (Stop ends it). Returns false when the timer cannot be created or armed: then nothing
  // counts and the minutes stay as they are.
  bool Start(ForcedModeRecord& record);
  // Ends a running count and waits for its thread; the record then reads as not running.
  void Stop();

 private:
  void Count(ForcedModeRecord& record);

  std::unique_ptr<WaitableTimer> timer_;
  std::thread thread_;
  ForcedModeRecord* record_ = nullptr;
};
