#pragma once

// The main window with the program's own dialogs (the settings centre among them) on the
// headless backend: the fixture of the settings centre's tests.
#include <string>
#include <vector>

#include "core/kezo_dialogs.h"
#include "fake_user_rights.h"
#include "main_window_fixture.h"
#include "settings_ui/set_dlg.h"

// The program's dialogs, with the seams other windows fill recorded.
class SettingsCentreDialogs : public KezoDialogs {
 public:
  void RunTipStyleEditor(CKEZODlg& main) override { ++tip_style_editor_runs; }
  int tip_style_editor_runs = 0;
};

class SettingsCentreTest : public MainWindowTest {
 protected:
  void SetUp() override {
    Open(&dialogs_);
    ASSERT_TRUE(main_->Proxy()->IsListening());
  }
  // The main window goes before the dialogs it uses.
  void TearDown() override {
    if (main_) main_->Teardown();
    main_.reset();
  }
  CSetDlg* OpenByCommand() {
    main_->HandleCommand(ID_SETTINGS_CENTRE);
    return dialogs_.SettingsCentre();
  }
  CSettingsPage& OpenPage(CSetDlg::Tab tab) {
    CSetDlg* settings = OpenByCommand();
    ui_.SelectTab(*settings, IDC_SET_TAB, tab);
    return settings->Page(tab);
  }

  FakeUserRights rights_;
  ScopedSeam<UserRights> rights_seam_{rights_};
  SettingsCentreDialogs dialogs_;
};
