#include "core/kezo_dialogs.h"

#include "core/kezo_dlg.h"
#include "core/pause_dlg.h"
#include "core/set_password_dlg.h"
#include "settings_ui/add_url_dlg.h"

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

std::optional<std::u16string> KezoDialogs::RunAddKeyword(CKEZODlg& main) {
  if (add_word_.IsOpen() || add_word_.DoModal(&main) != kIdOk) return std::nullopt;
  return add_word_.word;
}

std::vector<std::u16string> KezoDialogs::RunAddSites(CKEZODlg& main, std::u16string_view prompt) {
  CAddUrlDlg dialog;
  dialog.prompt = prompt;
  if (dialog.DoModal(&main) != kIdOk) return {};
  return dialog.entries;
}
