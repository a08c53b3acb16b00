#pragma once

#include "core/main_window_dialogs.h"
#include "core/verify_password_dlg.h"

// The dialogs the main window opens, as far as they exist: the password dialogs and the
// pause choice. The others still open nothing.
class KezoDialogs : public MainWindowDialogs {
 public:
  std::optional<int> RunPauseDialog(CKEZODlg& main) override;
  bool RunSetPassword(CKEZODlg& main) override;
  bool RunPasswordPrompt(CKEZODlg& main) override;

 private:
  CVerifyPasswordDlg prompt_;  // the one prompt every way to the window shares
};
