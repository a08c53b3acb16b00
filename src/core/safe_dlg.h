#pragma once

#include "settings_ui/settings_page.h"

// The settings page "密码安全": when hiding the main window locks the program, and the
// password itself (set, change, remove). A page of the settings centre, also usable alone.
class CSafeDlg : public CSettingsPage {
 public:
  CSafeDlg();

 protected:
  bool OnInit() override;
  bool OnCommand(int id) override;
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override;
  // The tray's lock command may have set a password meanwhile.
  void OnPageShown() override { ShowPasswordState(); }

 private:
  // The status text and which buttons apply, from whether a password exists.
  void ShowPasswordState();
  bool PromptConfirmed();
};
