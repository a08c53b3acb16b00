#include "core/kezo_dialogs.h"

#include "core/kezo_dlg.h"
#include "core/pause_dlg.h"
#include "core/set_password_dlg.h"
#include "settings_ui/set_dlg.h"

KezoDialogs::KezoDialogs() = default;
KezoDialogs::~KezoDialogs() = default;

void KezoDialogs::OpenSettingsCentre(CKEZODlg& main) {
  if (settings_ == nullptr) settings_ = std::make_unique<CSetDlg>(main);
  settings_->Open();
}

void KezoDialogs::HideSettingsCentre() {
  if (settings_ != nullptr) settings_->Close();
}

void KezoDialogs::DestroyChildWindows() {
  if (settings_ == nullptr) return;
  // A shown window goes without its close steps: what the user changed on its pages is
  // saved here. A hidden one has saved at its close, and its pages may since be stale.
  if (settings_->IsOpen() && settings_->Window()->IsVisible()) settings_->SavePages();
  settings_.reset();
}

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
