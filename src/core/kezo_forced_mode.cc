#include "core/kezo_forced_mode.h"

#include "base/text_format.h"
#include "config/profile_values.h"
#include "config/settings.h"
#include "core/exit_jiese_mode_dlg.h"
#include "core/js_mode_dlg.h"
#include "core/kezo_dlg.h"
#include "core/system_integration.h"
#include "framework/application.h"
#include "framework/ui_backend.h"

namespace {

void ShowMessage(CKEZODlg& main, std::u16string text) {
  Ui().ShowMessageBox(MessageBoxRequest{std::move(text), std::u16string(ApplicationTitle())}, &main);
}

}  // namespace

void KezoForcedMode::RunForcedModeDialog(CKEZODlg& main, bool from_menu) {
  ForcedModeRecord& record = main.ForcedRecord();
  for (;;) {
    CJSModeDlg dialog;
    dialog.countdown_running = record.running != 0;
    if (dialog.DoModal(&main) != kIdOk) return;
    if (dialog.hours == 0) break;
    int minutes = dialog.hours * 60;
    int left = record.remaining;
    if (record.running && minutes < left) {
      ShowMessage(main, WithNumber(u"新的时间不能低于： %d 分钟。", left));
      continue;
    }
    record.remaining = minutes;
    WriteProfile(profile::kTimeRemaining, minutes);
    break;
  }
  main.SetViewMode(1);
  // From the menu the view is shown already, so showing it does not start the count.
  if (from_menu) StartForcedCountdown(main);
}

void KezoForcedMode::StartForcedCountdown(CKEZODlg& main) {
  ForcedModeRecord& record = main.ForcedRecord();
  if (record.remaining == 0) return;
  main.EndPause();
  SystemIntegration::Current().SetAutostart(true);
  if (ReadProfile(profile::kIntelligentMonitor) > 1) WriteProfile(profile::kIntelligentMonitor, 1);
  main.ReloadData(3);
  countdown_.Start(record);
}

bool KezoForcedMode::CanLeaveForcedView(CKEZODlg& main, int current_view) {
  if (current_view != 1) return true;
  if (int left = main.ForcedRecord().remaining; left > 0) {
    ShowMessage(main, WithNumber(kForcedModeTimeLeft, left));
    return false;
  }
  if (exit_window_open_) return false;
  exit_window_open_ = true;
  bool confirmed = CExitJieSeModeDlg().DoModal(&main) == kIdOk;
  exit_window_open_ = false;
  return confirmed;
}
