#pragma once

#include <memory>

#include "core/main_window_dialogs.h"
#include "core/verify_password_dlg.h"
#include "tools/calendar_dlg.h"
#include "tools/rest_reminder_dlg.h"
#include "tools/statistics_dlg.h"
#include "settings_ui/add_word_dlg.h"
#include "tools/timing_shutdown_dlg.h"

#include "settings_ui/welcome_dlg.h"

class CSetDlg;

// The dialogs the main window opens, as far as they exist: the settings centre, the
// password dialogs, the pause choice, the tools, the first-run window, the about box and
// the locked menu's add-keyword and add-site dialogs. The others still open nothing.
class KezoDialogs : public MainWindowDialogs {
 public:
  KezoDialogs();
  ~KezoDialogs() override;

  void OpenSettingsCentre(CKEZODlg& main) override;
  void HideSettingsCentre() override;
  void OpenHealthCalendar(CKEZODlg& main) override;
  void OpenTimedShutdown(CKEZODlg& main) override;
  void CreateStatisticsWindow(CKEZODlg& main) override;
  void DestroyChildWindows() override;
  void ShowHotKeyConflict(CKEZODlg& main) override;
  // The settings centre once it has been opened, else nullptr.
  CSetDlg* SettingsCentre() { return settings_.get(); }

  void RunShareDialog(CKEZODlg& main) override;
  void RunRestNotice(CKEZODlg& main) override;
  bool RunRestReminderSettings(CKEZODlg& main) override;
  void OpenWelcome(CKEZODlg& main) override;
  void RunAboutBox(CKEZODlg& main) override;
  std::optional<int> RunPauseDialog(CKEZODlg& main) override;
  void RunTipStyleEditor(CKEZODlg& main) override;
  bool RunSetPassword(CKEZODlg& main) override;
  bool RunPasswordPrompt(CKEZODlg& main) override;
  std::optional<std::u16string> RunAddKeyword(CKEZODlg& main) override;
  std::vector<std::u16string> RunAddSites(CKEZODlg& main, std::u16string_view prompt) override;

  // The tools' windows, for tests; nullptr before their first opening.
  CCalendarDlg* Calendar() const { return calendar_.get(); }
  CTimingShutDownDlg* TimedShutdown() const { return timed_shutdown_.get(); }
  CStatisticsDlg* Statistics() const { return statistics_.get(); }

 private:
  CVerifyPasswordDlg prompt_;  // the one prompt every way to the window shares
  CAddWordDlg add_word_;       // keeps the word typed last for the next opening
  std::unique_ptr<CSetDlg> settings_;  // made on first use, kept for the life of the process
  CRestReminderDlg rest_reminder_;
  // The modeless tools, made on first use and kept until DestroyChildWindows.
  std::unique_ptr<CCalendarDlg> calendar_;
  std::unique_ptr<CTimingShutDownDlg> timed_shutdown_;
  std::unique_ptr<CStatisticsDlg> statistics_;
  std::unique_ptr<CWelcomeDlg> welcome_;
};
