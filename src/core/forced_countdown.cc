#include "core/forced_countdown.h"

#include <algorithm>
#include <cstdint>

#include "config/profile_values.h"
#include "config/settings.h"
#include "platform/clock.h"

namespace {

void MarkRunning(ForcedModeRecord& record, bool running) {
  record.running = running ? 1 : 0;
  TheSetup().JieSeActive = running;
}

// Takes `minutes` off the remaining time, never below 0. The user-interface thread may
// store a longer time meanwhile; taking the minutes off that value loses neither change.
void TakeOff(ForcedModeRecord& record, int minutes) {
  int remaining = record.remaining;
  while (!record.remaining.compare_exchange_weak(remaining, remaining > minutes ? remaining - minutes : 0)) {
  }
}

}  // namespace

bool ForcedCountdown::Start(ForcedModeRecord& record) {
  {
    std::lock_guard lock(mu_);
    if (record.running) return true;
  }
  if (thread_.joinable()) thread_.join();  // a count that has reached its end
  timer_ = WaitableTimers::Current().Create(u"JieSeTimer", kPeriod);
  if (timer_ == nullptr || !timer_->Arm()) {
    timer_.reset();
    return false;
  }
  // Marked here rather than on the thread, so a second Start right after this one finds
  // the count running.
  MarkRunning(record, true);
  record_ = &record;
  // The count's minutes start now, not whenever its thread first runs.
  const uint64_t started_at = Clock::Current().TickMs();
  thread_ = std::thread([this, &record, started_at] { Count(record, started_at); });
  return true;
}

void ForcedCountdown::Count(ForcedModeRecord& record, uint64_t counted_until) {
  // The timer is named, so any program of the user may fire it: only minutes that really
  // passed are counted, whatever the number of firings.
  constexpr uint64_t kPeriodMs = std::chrono::milliseconds(kPeriod).count();
  while (timer_->Wait()) {
    const uint64_t passed = (Clock::Current().TickMs() - counted_until) / kPeriodMs;
    if (passed > 0) {
      counted_until += passed * kPeriodMs;
      // The end is decided under the lock that Start reads `running` under: an extension
      // confirmed in this instant either finds the count still going or starts a new one.
      std::lock_guard lock(mu_);
      if (record.remaining <= 0) {
        MarkRunning(record, false);
        return;
      }
      TakeOff(record, static_cast<int>(std::min<uint64_t>(passed, INT32_MAX)));
      WriteProfile(profile::kTimeRemaining, record.remaining);
    }
    if (!timer_->Arm()) break;
  }
  std::lock_guard lock(mu_);
  MarkRunning(record, false);
}

void ForcedCountdown::Stop() {
  if (timer_ != nullptr) timer_->Cancel();
  if (thread_.joinable()) thread_.join();
  timer_.reset();
  if (record_ != nullptr) MarkRunning(*record_, false);
  record_ = nullptr;
}
