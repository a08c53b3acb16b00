#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "core/forced_mode.h"
#include "platform/waitable_timer.h"

// The forced mode's count of minutes: a thread that wakes each time the named timer
// "JieSeTimer" fires, once a minute, and takes the whole minutes that passed since it last
// counted (by the program's tick, so firings from elsewhere take nothing off) from a
// record's remaining minutes, writing them to TimeRemaining. While it counts, the record's
// `running` and the setup's JieSeActive are set; both are cleared one minute after the
// count reached 0, when the thread ends.
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
  // Counts from the tick `counted_until` on.
  void Count(ForcedModeRecord& record, uint64_t counted_until);

  std::unique_ptr<WaitableTimer> timer_;
  std::thread thread_;
  ForcedModeRecord* record_ = nullptr;
  std::mutex mu_;  // orders the count's end against Start's look at `running`
};
