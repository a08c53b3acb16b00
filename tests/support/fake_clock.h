#pragma once

#include <atomic>

#include "platform/clock.h"

// A clock that moves only when a test moves it.
class FakeClock : public Clock {
 public:
  uint64_t TickMs() override { return tick_ms_; }
  int64_t NowSeconds() override { return now_seconds_; }
  int64_t LocalNowSeconds() override { return now_seconds_ + utc_offset_; }

  void SetNow(int64_t seconds) { now_seconds_ = seconds; }
  // The local time zone's offset from UTC (0 unless set).
  void SetUtcOffset(int64_t seconds) { utc_offset_ = seconds; }
  // Sets the local wall clock to `hour`:`minute`:`second` of the fake's current day.
  void SetLocalTimeOfDay(int hour, int minute, int second) {
    int64_t local = now_seconds_ + utc_offset_;
    now_seconds_ = local - local % 86400 + hour * 3600 + minute * 60 + second - utc_offset_;
  }
  void Advance(uint64_t ms) {
    tick_ms_ += ms;
    now_seconds_ += static_cast<int64_t>(ms / 1000);
  }

 private:
  std::atomic<uint64_t> tick_ms_{1000};
  std::atomic<int64_t> now_seconds_{1700000000};
  std::atomic<int64_t> utc_offset_{0};
};
