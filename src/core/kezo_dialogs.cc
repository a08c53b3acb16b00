#include "core/kezo_dialogs.h"

#include "core/kezo_dlg.h"
#include "core/pause_dlg.h"
#include "core/set_password_dlg.h"
#include "settings_ui/about_dlg.h"
#include "settings_ui/hot_key_err_dlg.h"
#include "settings_ui/set_dlg.h"
#include "tools/need_rest_dlg.h"
#include "tools/share_to_dlg.h"
#include "tools/user_define_web_tip_dlg.h"

namespace {

template <typename Tool>
Tool& MadeOnFirstUse(std::unique_ptr<Tool>& tool) {
  if (tool == nullptr) tool = std::make_unique<Tool>();
  return *tool;
}

}  // namespace

KezoDialogs::KezoDialogs() = default;
KezoDialogs::~KezoDialogs() = default;

void KezoDialogs::OpenSettingsCentre(CKEZODlg& main) {
  if (settings_ == nullptr) settings_ = std::make_unique<CSetDlg>(main);
  settings_->Open();
}

void KezoDialogs::HideSettingsCentre() {
  if (settings_ != nullptr) settings_->Close();
}

void KezoDialogs::OpenHealthCalendar(CKEZODlg& main) { MadeOnFirstUse(calendar_).Open(); }

void KezoDialogs::OpenTimedShutdown(CKEZODlg& main) { MadeOnFirstUse(timed_shutdown_).Open(); }

void KezoDialogs::CreateStatisticsWindow(CKEZODlg& main) {
  // Hidden; it closes its own window after its page has had time to load.
  MadeOnFirstUse(statistics_).Create(nullptr);
}

void KezoDialogs::DestroyChildWindows() {
  // A window that already closed itself (the statistics window) is not destroyed again;
  // each object goes once, here.
  calendar_.reset();
  timed_shutdown_.reset();
  statistics_.reset();
  if (welcome_ != nullptr) welcome_->DestroyWindow();
  if (settings_ == nullptr) return;
  // A shown window goes without its close steps: what the user changed on its pages is
  // saved here. A hidden one has saved at its close, and its pages may since be stale.
  if (settings_->IsOpen() && settings_->Window()->IsVisible()) settings_->SavePages();
  settings_.reset();
}

void KezoDialogs::OpenWelcome(CKEZODlg& main) {
  if (welcome_ != nullptr && welcome_->IsOpen()) return;
  // Without a parent: the window stands on its own beside the hidden main window.
  welcome_ = std::make_unique<CWelcomeDlg>([&main] { main.ReloadData(1); }, [&main] { main.RestartElevated(); });
  welcome_->Create();
}

void KezoDialogs::RunAboutBox(CKEZODlg& main) { CAboutDlg().DoModal(&main); }

void KezoDialogs::RunShareDialog(CKEZODlg& main) { CShareToDlg().DoModal(nullptr); }

void KezoDialogs::RunRestNotice(CKEZODlg& main) {
  CNeedRestDlg notice;  // hours 0: the saved interval
  notice.DoModal(nullptr);
}

bool KezoDialogs::RunRestReminderSettings(CKEZODlg& main) {
  if (rest_reminder_.IsOpen()) return false;
  return rest_reminder_.DoModal(nullptr) == kIdOk;
}
#include "settings_ui/add_url_dlg.h"

std::optional<int> KezoDialogs::RunPauseDialog(CKEZODlg& main) {
  CPauseDlg dialog;
  if (dialog.DoModal(&main) != kIdOk) return std::nullopt;
  return dialog.minutes;
}

void KezoDialogs::RunTipStyleEditor(CKEZODlg& main) {
  // Over the settings centre, whose basic page asks for it.
  CDialog* owner = settings_ != nullptr && settings_->IsOpen() ? static_cast<CDialog*>(settings_.get()) : &main;
  CUserDefineWebTipDlg().DoModal(owner);
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
void KezoDialogs::ShowHotKeyConflict(CKEZODlg& main) { CHotKeyErrDlg::Open(); }
