#pragma once

#include "core/main_window_dialogs.h"
#include "core/verify_password_dlg.h"
#include "settings_ui/add_word_dlg.h"

// The dialogs the main window opens, as far as they exist: the password dialogs, the pause
// choice and the locked menu's add-keyword and add-site dialogs. The others still open
// nothing.
class KezoDialogs : public MainWindowDialogs {
 public:
  std::optional<int> RunPauseDialog(CKEZODlg& main) override;
  bool RunSetPassword(CKEZODlg& main) override;
  bool RunPasswordPrompt(CKEZODlg& main) override;
  std::optional<std::u16string> RunAddKeyword(CKEZODlg& main) override;
  std::vector<std::u16string> RunAddSites(CKEZODlg& main, std::u16string_view prompt) override;

 private:
  CVerifyPasswordDlg prompt_;  // the one prompt every way to the window shares
  CAddWordDlg add_word_;       // keeps the word typed last for the next opening
};
