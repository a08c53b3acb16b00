#pragma once

#include <atomic>
#include <string_view>

class CKEZODlg;

// What refuses leaving the forced mode while minutes remain (%d: the minutes); the
// uninstaller's check says the same.
inline constexpr std::u16string_view kForcedModeTimeLeft = u"您当前处于【强制戒色模式】，剩余时间 %d 分钟。";

// The forced abstinence mode's record, owned by the main window: the minutes left (read
// from TimeRemaining when the main window is built, written back at its teardown) and
// whether the countdown runs. The countdown thread writes both; other threads read them
// without locking.
struct ForcedModeRecord {
  std::atomic<int> running{0};
  std::atomic<int> remaining{0};
};

// The forced abstinence mode's rules as the main window meets them. User-interface thread.
//
// The default implementation runs no countdown and opens no dialog. Leaving the forced-mode
// view (view 1), or quitting from it, is the mode's own decision, so without the mode's
// rules it is refused, silently; every other view may be left.
class ForcedMode {
 public:
  virtual ~ForcedMode() = default;

  // Whether the current view may be left or the program quit (commands 32775, 32808, and
  // the close button when it quits).
  virtual bool CanLeaveForcedView(CKEZODlg& main, int current_view) { return current_view != 1; }
  // Starts the countdown when minutes remain (the view changed to 1).
  virtual void StartForcedCountdown(CKEZODlg& main) {}
  // Ends a running countdown; the main window's teardown calls it before the record goes.
  virtual void StopForcedCountdown(CKEZODlg& main) {}
  // Commands 32839 (`from_menu`) and 1004: the forced-mode dialog and the steps after it.
  virtual void RunForcedModeDialog(CKEZODlg& main, bool from_menu) {}

  static ForcedMode& None();
};
