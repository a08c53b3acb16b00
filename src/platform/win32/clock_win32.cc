#include "platform/clock.h"

#include <windows.h>

#include <ctime>

namespace {

class Win32Clock : public Clock {
 public:
  uint64_t TickMs() override { return GetTickCount64(); }
  int64_t NowSeconds() override { return static_cast<int64_t>(std::time(nullptr)); }
  int64_t LocalNowSeconds() override {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    return static_cast<int64_t>(_mkgmtime(&local));
  }
};

}  // namespace

Clock& Clock::System() {
  static Win32Clock clock;
  return clock;
}
