#include "core/kezo_dialogs.h"

#include "core/kezo_dlg.h"
#include "core/pause_dlg.h"
#include "core/set_password_dlg.h"

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
