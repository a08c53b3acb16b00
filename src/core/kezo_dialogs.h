#pragma once

#include "core/main_window_dialogs.h"
#include "core/verify_password_dlg.h"

#include <memory>

#include "settings_ui/welcome_dlg.h"

// The dialogs the main window opens, as far as they exist: the password dialogs, the pause
// choice, the first-run window and the about box. The others still open nothing.
class KezoDialogs : public MainWindowDialogs {
 public:
  void OpenWelcome(CKEZODlg& main) override;
  void DestroyChildWindows() override;
  void RunAboutBox(CKEZODlg& main) override;
  std::optional<int> RunPauseDialog(CKEZODlg& main) override;
  bool RunSetPassword(CKEZODlg& main) override;
  bool RunPasswordPrompt(CKEZODlg& main) override;

 private:
  CVerifyPasswordDlg prompt_;  // the one prompt every way to the window shares
  std::unique_ptr<CWelcomeDlg> welcome_;
};
