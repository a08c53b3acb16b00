#pragma once

#include "core/forced_countdown.h"
#include "core/forced_mode.h"

// The forced abstinence mode as the program runs it: the choice of hours, the countdown,
// and the refusals and the last confirmation when the mode's view is to be left.
// User-interface thread.
class KezoForcedMode : public ForcedMode {
 public:
  bool CanLeaveForcedView(CKEZODlg& main, int current_view) override;
  void StartForcedCountdown(CKEZODlg& main) override;
  void StopForcedCountdown(CKEZODlg& main) override { countdown_.Stop(); }
  void RunForcedModeDialog(CKEZODlg& main, bool from_menu) override;

 private:
  ForcedCountdown countdown_;
  bool exit_window_open_ = false;
};
