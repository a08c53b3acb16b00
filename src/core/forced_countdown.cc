#include "core/forced_countdown.h"

#include "config/profile_values.h"
#include "config/settings.h"

namespace {

void MarkRunning(ForcedModeRecord& record, bool running) {
  record.running = running ? 1 : 0;
  TheSetup().JieSeActive = running;
}

}  // namespace

bool ForcedCountdown::Start(ForcedModeRecord& record) {
  if (record.running) return true;
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
  thread_ = std::thread([this, &record] { Count(record); });
  return true;
}

void ForcedCountdown::Count(ForcedModeRecord& record) {
  while (timer_->Wait()) {
    if (record.remaining <= 0) break;
    // The user-interface thread may store a longer time meanwhile; taking one off that
    // value loses neither change.
    --record.remaining;
    WriteProfile(profile::kTimeRemaining, record.remaining);
    if (!timer_->Arm()) break;
  }
  MarkRunning(record, false);
}

void ForcedCountdown::Stop() {
  if (timer_ != nullptr) timer_->Cancel();
  if (thread_.joinable()) thread_.join();
  timer_.reset();
  if (record_ != nullptr) MarkRunning(*record_, false);
  record_ = nullptr;
}
