#pragma once

#include <cstdint>

#include "base/seam.h"

// Time as the program sees it: a millisecond tick for intervals and the wall clock for
// dates. Thread-safe.
class Clock : public Seam<Clock> {
 public:
  virtual ~Clock() = default;

  // Milliseconds from an arbitrary start; never goes backwards.
  virtual uint64_t TickMs() = 0;
  // Seconds since 1970-01-01 00:00 UTC.
  virtual int64_t NowSeconds() = 0;
  // The local wall clock as seconds since 1970-01-01 00:00 in the local time zone: UTC
  // moved by the zone's offset at this moment, so that `% 86400` is the time of day.
  virtual int64_t LocalNowSeconds() = 0;

  static Clock& System();
};
