#include "core/kezo_dialogs.h"

#include "core/kezo_dlg.h"
#include "core/pause_dlg.h"
#include "core/set_password_dlg.h"
#include "settings_ui/about_dlg.h"

void KezoDialogs::OpenWelcome(CKEZODlg& main) {
  if (welcome_ != nullptr && welcome_->IsOpen()) return;
  // Without a parent: the window stands on its own beside the hidden main window.
  welcome_ = std::make_unique<CWelcomeDlg>([&main] { main.ReloadData(1); });
  welcome_->Create();
}

void KezoDialogs::DestroyChildWindows() {
  if (welcome_ != nullptr) welcome_->DestroyWindow();
}

void KezoDialogs::RunAboutBox(CKEZODlg& main) { CAboutDlg().DoModal(&main); }

std::optional<int> KezoDialogs::RunPauseDialog(CKEZODlg& main) {
  CPauseDlg dialog;
  if (dialog.DoModal(&main) != kIdOk) return std::nullopt;
  return dialog.minutes;
}

bool KezoDialogs::RunSetPassword(CKEZODlg& main) { return CSetPasswordDlg().DoModal(&main) == kIdOk; }

bool KezoDialogs::RunPasswordPrompt(CKEZODlg& main) {
  if (prompt_.IsOpen()) return false;
  return prompt_.DoModal(&main) == kIdOk;
}
