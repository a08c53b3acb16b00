#include "platform/clock.h"

#include <time.h>

namespace {

class PosixClock : public Clock {
 public:
  uint64_t TickMs() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  }
  int64_t NowSeconds() override { return static_cast<int64_t>(time(nullptr)); }
  int64_t LocalNowSeconds() override {
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    return static_cast<int64_t>(now) + local.tm_gmtoff;
  }
};

}  // namespace

Clock& Clock::System() {
  static PosixClock clock;
  return clock;
}
