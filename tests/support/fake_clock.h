#pragma once

#include <atomic>

#include "platform/clock.h"

// A clock that moves only when a test moves it.
class FakeClock : public Clock {
 public:
  uint64_t TickMs() override { return tick_ms_; }
  int64_t NowSeconds() override { return now_seconds_; }

  void SetNow(int64_t seconds) { now_seconds_ = seconds; }
  void Advance(uint64_t ms) {
    tick_ms_ += ms;
    now_seconds_ += static_cast<int64_t>(ms / 1000);
  }

 private:
  std::atomic<uint64_t> tick_ms_{1000};
  std::atomic<int64_t> now_seconds_{1700000000};
};
