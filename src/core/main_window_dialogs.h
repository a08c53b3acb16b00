#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CKEZODlg;

// The dialogs and child windows that the main window opens: the settings centre, the tools,
// the password dialogs, the pause and forced-mode choices and the first-run window. The
// main window decides when; an implementation of this interface owns the windows (modeless
// ones are created on first use and kept until DestroyChildWindows).
//
// User-interface thread only. The default implementation opens nothing, and every modal
// step reads as cancelled, so each command ends without an effect.
class MainWindowDialogs {
 public:
  virtual ~MainWindowDialogs() = default;

  // Modeless windows.
  virtual void OpenSettingsCentre(CKEZODlg& main) {}  // and bring it to the front
  virtual void HideSettingsCentre() {}
  virtual void OpenHealthCalendar(CKEZODlg& main) {}
  virtual void OpenTimedShutdown(CKEZODlg& main) {}
  virtual void CreateStatisticsWindow(CKEZODlg& main) {}  // hidden
  virtual void OpenWelcome(CKEZODlg& main) {}
  virtual void ShowHotKeyConflict(CKEZODlg& main) {}  // the notice on the desktop
  // Destroys every modeless window opened here; the main window's teardown calls it.
  virtual void DestroyChildWindows() {}

  // Modal dialogs; each returns what the user confirmed, nothing when cancelled.
  virtual void RunAboutBox(CKEZODlg& main) {}
  virtual void RunShareDialog(CKEZODlg& main) {}
  virtual void RunRestNotice(CKEZODlg& main) {}
  // Rest reminder settings; whether they were confirmed (RestReminderTime then holds the
  // new hours).
  virtual bool RunRestReminderSettings(CKEZODlg& main) { return false; }
  // A word for the user's keyword list.
  virtual std::optional<std::u16string> RunAddKeyword(CKEZODlg& main) { return std::nullopt; }
  // Site addresses for the user's black list, with `prompt` as the dialog's heading.
  virtual std::vector<std::u16string> RunAddSites(CKEZODlg& main, std::u16string_view prompt) { return {}; }
  // The minutes of a pause (0: until resumed by hand).
  virtual std::optional<int> RunPauseDialog(CKEZODlg& main) { return std::nullopt; }
  // The page-tip style editor, from the basic page's "自定义外观".
  virtual void RunTipStyleEditor(CKEZODlg& main) {}
  // A new password was set.
  virtual bool RunSetPassword(CKEZODlg& main) { return false; }
  // The password prompt was answered with the right password.
  virtual bool RunPasswordPrompt(CKEZODlg& main) { return false; }

  // The implementation that opens nothing.
  static MainWindowDialogs& None();
};
