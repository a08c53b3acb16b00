#include "core/window_patrol.h"

#include "platform/top_level_windows.h"
#include "rules/word_filter.h"

namespace {

constexpr size_t kMaxTitleUnits = 259;

bool IsBannedTitle(std::u16string_view title, const CWordFilter& black, const CWordFilter& white) {
  if (title.find(u"mm") != std::u16string_view::npos) return false;
  return black.Bans(title, &white);
}

}  // namespace

void PatrolWindows(TopLevelWindows& windows, const CWordFilter& black, const CWordFilter& white,
                   const PatrolTiming& timing, const PatrolPause& pause) {
  for (const TopLevelWindow& window : windows.Enumerate()) {
    if (!pause(std::chrono::milliseconds(0))) return;
    if (!window.visible || window.has_parent) continue;
    if (!IsBannedTitle(windows.ReadTitle(window.handle, kMaxTitleUnits), black, white)) continue;

    // Only the close request: destroying another program's window from outside would
    // leave that program with a dead window and no chance to clean up.
    uint32_t program = windows.ProcessOf(window.handle);
    if (windows.RequestClose(window.handle, timing.close_timeout_ms) != CloseAnswer::kAnswered) continue;
    if (program == 0 || !windows.SetForeground(window.handle)) continue;
    if (!pause(timing.confirm_delay)) return;
    WindowHandle front = windows.Foreground();
    if (front != 0 && windows.ProcessOf(front) == program) windows.PostEnterKey(front);
  }
}

void CWindowPatrol::Start(const CWordFilter& black, const CWordFilter& white) {
  if (thread_.joinable()) return;
  {
    std::lock_guard lock(mu_);
    stopping_ = false;
  }
  ++threads_alive_;
  thread_ = std::thread([this, &black, &white] {
    Run(black, white);
    --threads_alive_;
  });
}

void CWindowPatrol::Stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mu_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void CWindowPatrol::Run(const CWordFilter& black, const CWordFilter& white) {
  PatrolPause pause = [this](std::chrono::milliseconds duration) { return Pause(duration); };
  do {
    PatrolWindows(TopLevelWindows::Current(), black, white, timing_, pause);
  } while (Pause(timing_.period));
}

bool CWindowPatrol::Pause(std::chrono::milliseconds duration) {
  std::unique_lock lock(mu_);
  return !wake_.wait_for(lock, duration, [this] { return stopping_; });
}
