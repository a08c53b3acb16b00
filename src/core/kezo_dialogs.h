#pragma once

#include <memory>

#include "core/main_window_dialogs.h"
#include "core/verify_password_dlg.h"

class CSetDlg;

// The dialogs the main window opens, as far as they exist: the settings centre, the
// password dialogs and the pause choice. The others still open nothing.
class KezoDialogs : public MainWindowDialogs {
 public:
  KezoDialogs();
  ~KezoDialogs() override;

  void OpenSettingsCentre(CKEZODlg& main) override;
  void HideSettingsCentre() override;
  void DestroyChildWindows() override;
  // The settings centre once it has been opened, else nullptr.
  CSetDlg* SettingsCentre() { return settings_.get(); }

  std::optional<int> RunPauseDialog(CKEZODlg& main) override;
  bool RunSetPassword(CKEZODlg& main) override;
  bool RunPasswordPrompt(CKEZODlg& main) override;

 private:
  CVerifyPasswordDlg prompt_;  // the one prompt every way to the window shares
  std::unique_ptr<CSetDlg> settings_;  // made on first use, kept for the life of the process
};
