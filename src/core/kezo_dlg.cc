#include "core/kezo_dlg.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "base/text_format.h"
#include "config/process_flags.h"
#include "config/profile_values.h"
#include "core/lock_control.h"
#include "core/main_window_dialogs.h"
#include "core/system_integration.h"
#include "core/web_addresses.h"
#include "core/window_patrol_control.h"
#include "framework/application.h"
#include "framework/ui_backend.h"
#include "platform/allocator_tuning.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/process_runner.h"
#include "platform/program_file.h"
#include "platform/shell.h"
#include "platform/top_level_windows.h"
#include "proxy/control_server.h"
#include "proxy/local_proxy.h"
#include "resource.h"
#include "rules/list_files.h"
#include "rules/page_assets.h"
#include "rules/shared_lists.h"
#include "rules/text_list.h"
#include "rules/word_filter.h"

namespace {

constexpr int kDigitIds[10] = {IDC_DIGIT0, IDC_DIGIT1, IDC_DIGIT2, IDC_DIGIT3, IDC_DIGIT4,
                               IDC_DIGIT5, IDC_DIGIT6, IDC_DIGIT7, IDC_DIGIT8, IDC_DIGIT9};
constexpr int kLinkIds[4] = {IDC_LINK_WECHAT, IDC_LINK_VOLUNTEER, IDC_LINK_DONATE, IDC_LINK_SHARE};

// Timers: identifier and period.
constexpr int kSaveTimer = 1;               // 300000 ms, repeating
constexpr int kHotKeyTimer = 3;             // 1000 ms, once
constexpr int kCalendarTimer = 4;           // 180000 ms, once
constexpr int kCleanTracesTimer = 5;        // 20000 ms, once
constexpr int kLockDelayTimer = 6;          // LOCKDELAY minutes, once
constexpr int kProxyTimer = 7;              // 30000 ms, repeating
constexpr int kPauseTimer = 9;              // pause minutes, once
constexpr int kDataUpdateTimer = 10;        // 600000 ms, repeating
constexpr int kFirstDataUpdateTimer = 11;   // 5000 ms, once
constexpr int kProgramUpdateTimer = 12;     // 300000 ms, once
constexpr int kRestTimer = 14;              // RestReminderTime hours, re-armed after each notice
constexpr int kFirstRunTimer = 15;          // 3000 ms, once
constexpr int kEndTimer = 19;               // 1 ms, once

constexpr uint32_t kMinute = 60000;
constexpr uint32_t kHour = 3600000;

constexpr std::u16string_view kUpdaterTitle = u"Veltra 在线升级";
constexpr std::string_view kUpdater = "Updater.exe";

}  // namespace

CounterLayout LayOutCounter(uint32_t total, int digit_width) {
  CounterLayout layout;
  layout.digits = std::to_string(total);
  int count = static_cast<int>(layout.digits.size());
  layout.left = (10 - count) * digit_width / 2 + CKEZODlg::kCounterLeft;
  layout.top = CKEZODlg::kCounterTop;
  return layout;
}

class CKEZODlg::ReloadTarget {
 public:
  ReloadTarget(CProxyConfig* proxy_config, CWordFilter* black) : proxy_config_(proxy_config), black_(black) {}

  // After a data update: the site lists, smart monitoring and the black filter.
  void ReloadAfterUpdate() {
    std::lock_guard lock(mu_);
    if (proxy_config_ != nullptr) {
      proxy_config_->ReloadSiteLists();
      proxy_config_->LoadSmartMonitoring();
    }
    if (black_ != nullptr) black_->Rebuild();
    ReturnFreedMemory();  // the lists replaced, some megabytes, would stay resident
  }

  // Waits for a reload in progress; later ones find nothing.
  void Close() {
    std::lock_guard lock(mu_);
    proxy_config_ = nullptr;
    black_ = nullptr;
  }

 private:
  std::mutex mu_;
  CProxyConfig* proxy_config_;
  CWordFilter* black_;
};

CKEZODlg::CKEZODlg(SharedLists& lists, Collaborators collaborators)
    : CDialog(IDD_KEZO_DIALOG),
      lists_(lists),
      dialogs_(collaborators.dialogs ? *collaborators.dialogs : MainWindowDialogs::None()),
      forced_mode_(collaborators.forced_mode ? *collaborators.forced_mode : ForcedMode::None()),
      lock_(collaborators.lock ? *collaborators.lock : LockControl::Default()),
      patrol_(collaborators.patrol ? *collaborators.patrol : WindowPatrolControl::None()),
      start_worker_(std::move(collaborators.start_worker)) {
  if (!start_worker_) {
    start_worker_ = [](std::function<void()> work) { std::thread(std::move(work)).detach(); };
  }
  forced_.remaining = ReadProfile(profile::kTimeRemaining);
  black_filter_ = std::make_unique<CWordFilter>(true);
  white_filter_ = std::make_unique<CWordFilter>(false);
}

CKEZODlg::~CKEZODlg() {
  Teardown();
  if (IsOpen()) {
    SetQuitsOnDestroy(false);
    DestroyWindow();
  }
}

bool CKEZODlg::OnInit() {
  window().SetIcon(IDR_MAINFRAME);

  bool servers_started = StartServers();
  // A message box runs the message loop: a quit taken there (the tray's, or the quit message
  // that Updater posts) has destroyed the window and torn everything down, and the start
  // ends with it.
  if (!IsOpen()) return false;
  window().SetTitle(ApplicationTitle());
  window().SetWindowSize(Size{kWidth, kHeight});
  if (ReadProfile(profile::kShowNotifyIcon) != 0) AddTrayIcon();
  if (!servers_started) {
    startup_failed_ = true;
    window().Show(WindowShow::kMinimized);
    window().SetToolWindow(true);
    HideMainWindow();
    window().SetTimer(kEndTimer, 1);
  }

  if (!LoadDigitPictures()) {
    MessageBox(u"程序文件加载失败，请重新安装程序。", u"InitFilterNumber", MessageButtons::kOk, MessageIcon::kError);
    if (!IsOpen()) return false;
    // The program ends through its normal shutdown, so the servers stop and the system
    // proxy setting is taken back before the process goes.
    startup_failed_ = true;
    window().Show(WindowShow::kHidden);
    window().SetTimer(kEndTimer, 1);
    return true;
  }

  PlaceControls();
  TheSetup().LoadSetup();
  // The page script reads the picture settings from www\param.js: written from the loaded
  // settings, so that no-picture mode holds from the start, not from the next change.
  WriteParamScript(TheSetup());
  StartTimers();
  TheSetup().SetCounterDisplay(this);
  if (!ServersStopping) DrawCounterNow(TheSetup().FilterCount);
  window().SetText(IDC_BANNER, WithNumber(WithText(u"%s已经保护您的电脑 %d 天", ApplicationTitle()),
                                          TheSetup().GetInstallDays()));
  SetUpDecorations();
  if (lock_.IsLocked()) ShowLockedState();
  ApplyViewMode();
  dialogs_.CreateStatisticsWindow(*this);
  if (TheSetup().FormPatrol != 0) patrol_.Start(*black_filter_, *white_filter_);
  return true;
}

bool CKEZODlg::StartServers() {
  bool ok = true;
  // The toolbar's commands change the very lists the proxy judges by, so they hold at once.
  control_server_ = std::make_unique<CLocalHttpServer>(static_cast<uint16_t>(ReadProfile(profile::kHttpPort)), lists_);
  control_server_->SetSettingsOpener([this] { OpenSettingsFromServer(); });
  if (control_server_->ErrorCode() != 0) {
    MessageBox(WithNumber(u"启动发生错误，错误号：%d", control_server_->ErrorCode()));
    if (!IsOpen()) return false;
    ok = false;
  } else {
    control_server_->Start();
  }
  proxy_ = std::make_unique<CLocalProxy>(static_cast<uint16_t>(ReadProfile(profile::kProxyPort)), lists_);
  proxy_->Config().SetWordFilters(black_filter_.get(), white_filter_.get());
  if (control_server_->IsListening()) proxy_->Config().SetControlServerPort(control_server_->Port());
  if (proxy_->ErrorCode() != 0) {
    MessageBox(WithNumber(u"启动发生错误，错误号：%d", proxy_->ErrorCode()));
    if (!IsOpen()) return false;
    ok = false;
  } else {
    // A proxy without its socket is not started: its start would point the system proxy
    // setting at a port nobody serves.
    uint16_t port = proxy_->Port();
    proxy_->SetOnReady([port] { SystemIntegration::Current().RegisterSystemProxy(port); });
    proxy_->Start();
  }
  reload_target_ = std::make_shared<ReloadTarget>(&proxy_->Config(), black_filter_.get());
  filtering_on_ = ok;
  return ok;
}

bool CKEZODlg::LoadDigitPictures() {
  digits_.clear();
  for (int digit = 0; digit < 10; ++digit) {
    ImagePtr image = Ui().LoadImage(u"Images\\" + Decimal(digit) + u".png");
    if (image == nullptr) {
      digits_.clear();
      return false;
    }
    digits_.push_back(std::move(image));
  }
  return true;
}

void CKEZODlg::StartTimers() {
  SetupRecord& setup = TheSetup();
  window().SetTimer(kSaveTimer, 300000);
  window().SetTimer(kHotKeyTimer, 1000);
  if (ReadProfile(profile::kSKCalendarEnabled) != 0) window().SetTimer(kCalendarTimer, 180000);
  if (ReadProfile(profile::kAutoClearIECookies) != 0) window().SetTimer(kCleanTracesTimer, 20000);
  window().SetTimer(kProxyTimer, 30000);
  window().SetTimer(kDataUpdateTimer, 600000);
  window().SetTimer(kFirstDataUpdateTimer, 5000);
  window().SetTimer(kProgramUpdateTimer, 300000);
  if (setup.RestReminderTime > 0) window().SetTimer(kRestTimer, static_cast<uint32_t>(setup.RestReminderTime) * kHour);
  window().SetTimer(kFirstRunTimer, 3000);
}

void CKEZODlg::PlaceControls() {
  int digit_width = digits_[0]->GetSize().width;
  int counter_centre = kCounterLeft + 5 * digit_width;
  int banner_width = 380;
  int banner_left = std::clamp(counter_centre - banner_width / 2, 10, kWidth - 10 - banner_width);
  window().MoveControl(IDC_BANNER, Rect::At(banner_left, kCounterTop - 40, banner_width, 28));
  window().SetControlFont(IDC_BANNER, FontStyle{u"微软雅黑", 18, 400});
  window().MoveControl(IDC_JIESE_PICTURE, Rect::At(40, 400, 200, 64));
  window().MoveControl(IDC_XIUSHEN_PICTURE, Rect::At(260, 400, 200, 64));
  window().MoveControl(IDC_SHARE_ICON, Rect::At(kWidth - 70, kHeight - 120, 48, 48));
  window().MoveControl(IDC_VERSION_LABEL, Rect::At(14, kHeight - 28, 220, 20));
  int x = kWidth - 300;
  for (size_t i = 0; i < std::size(kLinkIds); ++i) {
    int width = static_cast<int>(web_addresses::kLinkBar[i].label.size()) * 14 + 16;
    window().MoveControl(kLinkIds[i], Rect::At(x, kHeight - 28, width, 20));
    x += width + 8;
  }
}

void CKEZODlg::SetUpDecorations() {
  const int right = kWidth - 10;
  close_button_.Setup(window(), IDC_CLOSE_BUTTON, u"Images\\CloseButton.bmp", u"关闭", Point{right - 26, 10});
  mini_button_.Setup(window(), IDC_MINI_BUTTON, u"Images\\mini.bmp", u"最小化", Point{right - 56, 10});
  menu_button_.Setup(window(), IDC_MENU_BUTTON, u"Images\\dropdown.bmp", u"菜单", Point{right - 86, 10});
  share_picture_.Setup(window(), IDC_SHARE_ICON, u"Images\\share.png", u"Images\\share.png");
  window().SetToolTip(IDC_SHARE_ICON, u"分享给小伙伴们");
  jiese_picture_.Setup(window(), IDC_JIESE_PICTURE, u"Images\\jiese1.png", u"Images\\jiese2.png");
  xiushen_picture_.Setup(window(), IDC_XIUSHEN_PICTURE, u"Images\\xiushen1.png", u"Images\\xiushen2.png");
  for (int id : {IDC_JIESE_PICTURE, IDC_XIUSHEN_PICTURE, IDC_SHARE_ICON}) window().SetHandCursor(id);

  ProgramVersion version = ReadProgramVersion();
  if (version.ok) {
    version_ = version.version;
  } else {
    std::u16string text = WithText(u"%s failed with error %d: %s", version.failed_call);
    text = WithNumber(text, version.error);
    MessageBox(WithText(text, version.error_text), u"Error");
  }
  window().SetText(IDC_VERSION_LABEL, u"版本: " + version_);
  for (size_t i = 0; i < std::size(kLinkIds); ++i) {
    window().SetText(kLinkIds[i], u"<a>" + std::u16string(web_addresses::kLinkBar[i].label) + u"</a>");
  }
  browser_.Attach(window(), IDC_EXPLORER, CExplorer1::Wiring{true, true});

  DialogLook look;
  look.background = Rgb(232, 245, 236);
  look.background_image = u"Images\\mainbg.jpg";
  look.transparent_static_text = true;
  look.drag_by_client_area = true;
  window().SetLook(look);
}

void CKEZODlg::ShowMainWindow() {
  if (!IsOpen()) return;
  if (lock_.IsLocked()) {
    if (password_prompt_open_) return;
    password_prompt_open_ = true;
    bool confirmed = dialogs_.RunPasswordPrompt(*this);
    password_prompt_open_ = false;
    if (confirmed) {
      lock_.Unlock();
      ToggleMainWindow();
    }
    return;
  }
  SetTrayIcon(filtering_on_ ? IDI_TRAY_NORMAL : IDI_TRAY_PAUSED);
  window().SetToolWindow(false);
  if (current_view_ == 0) {
    window().AnimateShow(ShowAnimation::kFade, 200);
  } else {
    window().Show(WindowShow::kNormal);
  }
  window().BringToFront();
  window().KillTimer(kLockDelayTimer);
  ApplyViewMode();
  window().SetTitle(ApplicationTitle());
}

void CKEZODlg::HideMainWindow() {
  if (!IsOpen()) return;
  dialogs_.HideSettingsCentre();
  window().Show(WindowShow::kMinimized);
  window().Show(WindowShow::kHidden);
  if (lock_.IsLocked()) {
    ShowLockedState();
  } else if (lock_.HasPassword()) {
    int minutes = std::max(0, ReadProfile(profile::kLOCKDELAY));
    window().SetTimer(kLockDelayTimer, static_cast<uint32_t>(minutes) * kMinute);
  }
}

void CKEZODlg::ToggleMainWindow() {
  if (!IsOpen()) return;
  if (!window().IsVisible() || window().IsMinimized()) {
    ShowMainWindow();
  } else {
    HideMainWindow();
  }
}

void CKEZODlg::ShowLockedState() {
  SetTrayIcon(IDI_TRAY_LOCKED);
  window().SetTitle(Ui().LoadString(IDS_LOCKED_TITLE));
}

void CKEZODlg::SetTrayIcon(int icon) {
  if (tray_added_) window().SetTrayIcon(icon);
}

void CKEZODlg::ApplyViewMode() {
  if (!IsOpen()) return;
  int mode = TheSetup().SoftMode;
  if (mode != 1 && mode != 2) mode = 0;
  if (mode == current_view_) return;
  const int counter_view_controls[] = {IDC_VERSION_LABEL, IDC_BANNER, IDC_JIESE_PICTURE, IDC_XIUSHEN_PICTURE,
                                       IDC_LINK_WECHAT, IDC_LINK_VOLUNTEER, IDC_LINK_DONATE, IDC_LINK_SHARE};
  std::u16string placeholder = u"res://" + ProgramFilePath() + u"/" + Decimal(IDR_HTML_PLACEHOLDER);
  DialogLook look;
  look.background = Rgb(232, 245, 236);
  look.transparent_static_text = true;
  look.drag_by_client_area = true;
  if (mode == 0) {
    current_view_ = 0;
    for (int id : counter_view_controls) window().ShowControl(id, true);
    DrawCounterNow(TheSetup().FilterCount);
    look.background_image = u"Images\\mainbg.jpg";
    window().SetLook(look);
    window().ShowControl(IDC_EXPLORER, false);
    browser_.Navigate(placeholder);
    return;
  }
  if (mode == 1) forced_mode_.StartForcedCountdown(*this);
  current_view_ = mode;
  for (int id : counter_view_controls) window().ShowControl(id, false);
  for (int id : kDigitIds) window().ShowControl(id, false);
  look.background_image = u"Images\\mainbg2.png";
  window().SetLook(look);
  browser_.Navigate(placeholder);
  browser_.Navigate(mode == 1 ? web_addresses::kForcedModePage : web_addresses::kSelfCultivationPage);
  window().MoveControl(IDC_EXPLORER, Rect{0, kCaptionBand, kWidth, kHeight});
  window().ShowControl(IDC_EXPLORER, true);
  window().BringControlToTop(IDC_EXPLORER);
}

void CKEZODlg::SetViewMode(int mode) {
  TheSetup().SoftMode = mode;
  WriteProfile(profile::kSoftMode, mode);
  ApplyViewMode();
}

void CKEZODlg::DrawCounter(int total) {
  // Totals of concurrent counts arrive out of order; the counter shows the highest.
  int highest = counter_total_.load();
  while (highest < total && !counter_total_.compare_exchange_weak(highest, total)) {
  }
  UiDispatcher& dispatcher = Ui().Dispatcher();
  if (dispatcher.IsUiThread()) {
    DrawCounterNow(counter_total_.load());
    return;
  }
  // A connection thread never waits for the window: it queues one redraw, unless one is
  // queued already, which will show its total.
  if (counter_redraw_queued_.exchange(true)) return;
  dispatcher.Post(
      [this] {
        counter_redraw_queued_ = false;
        DrawCounterNow(counter_total_.load());
      },
      &gate_);
}

void CKEZODlg::DrawCounterNow(int total) {
  if (!IsOpen() || window().IsMinimized() || ServersStopping || TheSetup().SoftMode != 0 || digits_.size() != 10) {
    return;
  }
  int width = digits_[0]->GetSize().width;
  CounterLayout layout = LayOutCounter(static_cast<uint32_t>(total), width);
  int x = layout.left;
  for (size_t i = 0; i < std::size(kDigitIds); ++i) {
    if (i < layout.digits.size()) {
      const ImagePtr& image = digits_[static_cast<size_t>(layout.digits[i] - '0')];
      Size size = image->GetSize();
      window().MoveControl(kDigitIds[i], Rect::At(x, layout.top, size.width, size.height));
      window().SetControlImage(kDigitIds[i], image);
      window().ShowControl(kDigitIds[i], true);
      x += width;
    } else {
      window().ShowControl(kDigitIds[i], false);
    }
  }
}

void CKEZODlg::ReloadData(int kind) {
  if (kind == 0 || kind == 1) {
    black_filter_->Rebuild();
    white_filter_->Rebuild();
  }
  if (proxy_ != nullptr && (kind == 0 || kind == 2)) proxy_->Config().ReloadSiteLists();
  if (proxy_ != nullptr && (kind == 0 || kind == 3)) proxy_->Config().LoadSmartMonitoring();
}

void CKEZODlg::PauseFiltering() {
  SetTrayIcon(IDI_TRAY_PAUSED);
  filtering_on_ = false;
  if (!ProxyRestored) SystemIntegration::Current().RemoveSystemProxy();
}

void CKEZODlg::ResumeFiltering() {
  filtering_on_ = true;
  if (lock_.IsLocked()) {
    ShowLockedState();
  } else {
    SetTrayIcon(IDI_TRAY_NORMAL);
  }
  SystemIntegration::Current().RegisterSystemProxy(ProxyPort());
}

void CKEZODlg::EndPause() {
  if (filtering_on_ || startup_failed_) return;
  window().KillTimer(kPauseTimer);
  ResumeFiltering();
}

uint16_t CKEZODlg::ProxyPort() const {
  if (proxy_ != nullptr && proxy_->IsListening()) return proxy_->Port();
  return static_cast<uint16_t>(ReadProfile(profile::kProxyPort));
}

void CKEZODlg::OpenSettingsFromServer() {
  Ui().Dispatcher().Send(
      [this] {
        if (IsOpen()) HandlePrivateMessage(WM_KEZO_OPENSETTINGS, 0, 0);
      },
      &gate_);
}

bool CKEZODlg::OnPrivateMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  switch (message) {
    case WM_KEZO_OPENSETTINGS:
      // A page can ask for the settings; while locked that request meets the password
      // prompt first, as every other way to the program's settings does.
      if (lock_.IsLocked()) ShowMainWindow();
      if (!lock_.IsLocked()) OnCommand(ID_SETTINGS_CENTRE);
      return true;
    case WM_KEZO_SHOWMAIN:
      ShowMainWindow();
      return true;
    case WM_KEZO_QUIT:
      Quit();
      return true;
    default:
      return false;
  }
}

void CKEZODlg::AddTrayIcon() {
  tray_added_ = window().AddTrayIcon(
      TrayIconSettings{kTrayIconId, WM_KEZO_TRAY, IDI_TRAY_NORMAL, ApplicationTitle().substr(0, 127)});
}

int CKEZODlg::StateTrayIcon() {
  if (lock_.IsLocked()) return IDI_TRAY_LOCKED;
  return filtering_on_ ? IDI_TRAY_NORMAL : IDI_TRAY_PAUSED;
}

void CKEZODlg::ShowTrayIcon(bool shown) {
  if (!IsOpen()) return;
  if (!shown) {
    window().RemoveTrayIcon();
    tray_added_ = false;
  } else if (!tray_added_) {
    AddTrayIcon();
    SetTrayIcon(StateTrayIcon());
  }
}

bool CKEZODlg::ReplaceShowHotKey(const ShowHotKey& key) {
  if (!IsOpen()) return false;
  ShowHotKey previous = ReadShowHotKey();
  window().UnregisterHotKey(SetupRecord::ShowHotKeyId);
  if (window().RegisterHotKey(SetupRecord::ShowHotKeyId, key.modifiers, key.virtual_key)) return true;
  window().RegisterHotKey(SetupRecord::ShowHotKeyId, previous.modifiers, previous.virtual_key);
  return false;
}

void CKEZODlg::RestartElevated() {
  WriteProfile(profile::kRunAsAdmin, 1);
  TheSetup().Exiting = true;
  Ui().Dispatcher().Post(
      [this] {
        if (IsOpen()) DestroyWindow();
      },
      &gate_);
}

void CKEZODlg::Quit() {
  TheSetup().Exiting = true;
  DestroyWindow();
}

void CKEZODlg::QuitAsUser() {
  if (lock_.IsLocked()) {
    MessageBox(u"软件已锁定，不能退出。请先解除锁定。");
    return;
  }
  if (forced_mode_.CanLeaveForcedView(*this, current_view_)) Quit();
}

void CKEZODlg::EndFromOutside() { DestroyWindow(); }

void CKEZODlg::OnTrayEvent(int icon_id, TrayEvent event) {
  if (icon_id != kTrayIconId) return;
  if (event == TrayEvent::kLeftButtonDown) {
    ToggleMainWindow();
  } else if (event == TrayEvent::kRightButtonUp) {
    if (lock_.IsLocked()) {
      ShowLockedTrayMenu();
    } else {
      ShowTrayMenu();
    }
  }
}

void CKEZODlg::ShowTrayMenu() {
  std::optional<MenuModel> menu = Ui().LoadPopupMenu(IDR_TRAY_MENU);
  if (!menu) return;
  menu->SetText(ID_PAUSE_FILTERING, Ui().LoadString(filtering_on_ ? IDS_PAUSE_FILTERING : IDS_RESUME_FILTERING));
  bool hidden = !window().IsVisible() || window().IsMinimized();
  menu->SetText(ID_SHOW_HIDE, Ui().LoadString(hidden ? IDS_SHOW_MAIN_WINDOW : IDS_HIDE_MAIN_WINDOW));
  if (current_view_ == 1) menu->Remove(ID_PAUSE_FILTERING);
  menu->SetChecked(ID_WINDOW_PATROL, TheSetup().FormPatrol != 0);
  if (int command = window().TrackPopupMenu(*menu)) OnCommand(command);
}

void CKEZODlg::ShowLockedTrayMenu() {
  MenuModel menu;
  menu.AppendCommand(ID_REST_REMINDER, u"休息提醒");
  menu.AppendCommand(ID_LOCKED_TIMED_SHUTDOWN, u"定时关机");
  menu.AppendCommand(ID_LOCKED_ADD_KEYWORD, u"添加关键词");
  menu.AppendCommand(ID_LOCKED_ADD_SITE, u"添加黑名单网址");
  menu.AppendSeparator();
  menu.AppendCommand(ID_LOCKED_UNLOCK, u"解除锁定");
  if (int command = window().TrackPopupMenu(menu)) OnCommand(command);
}

void CKEZODlg::ShowMainMenu() {
  std::optional<MenuModel> menu = Ui().LoadPopupMenu(IDR_MAINSET_MENU);
  if (!menu) return;
  if (TheSetup().SoftMode == 0) menu->Remove(ID_BACK_TO_MAIN_VIEW);
  if (current_view_ == 1) {
    menu->SetText(ID_FORCED_MODE, Ui().LoadString(forced_.running ? IDS_EXTEND_FORCED_MODE : IDS_START_FORCED_MODE));
  } else {
    menu->Remove(ID_FORCED_MODE);
  }
  if (int command = window().TrackPopupMenu(*menu)) OnCommand(command);
}

bool CKEZODlg::OnCommand(int id) {
  switch (id) {
    case ID_SETTINGS_CENTRE: dialogs_.OpenSettingsCentre(*this); break;
    case ID_BACK_TO_MAIN_VIEW:
      if (forced_mode_.CanLeaveForcedView(*this, current_view_)) SetViewMode(0);
      break;
    case ID_FORCED_MODE: forced_mode_.RunForcedModeDialog(*this, true); break;
    case IDC_JIESE_PICTURE:
      if (TheSetup().SoftMode != 1) forced_mode_.RunForcedModeDialog(*this, false);
      break;
    case IDC_XIUSHEN_PICTURE:
      if (TheSetup().SoftMode != 2) SetViewMode(2);
      break;
    case ID_ABOUT: dialogs_.RunAboutBox(*this); break;
    case ID_HOME_PAGE: Shell::Current().Open(web_addresses::kHomePage); break;
    case ID_HELP_PAGE: Shell::Current().Open(web_addresses::kHelpPage); break;
    case ID_CHECK_UPDATE: StartProgramUpdate(false); break;
    case ID_SHOW_HIDE: ToggleMainWindow(); break;
    case ID_LOCK_NOW: LockNow(); break;
    case ID_PAUSE_FILTERING: TogglePause(); break;
    case ID_REPORT_SITE: Shell::Current().Open(web_addresses::kReportPage); break;
    case ID_HEALTH_CALENDAR: dialogs_.OpenHealthCalendar(*this); break;
    case ID_TIMED_SHUTDOWN:
    case ID_LOCKED_TIMED_SHUTDOWN: dialogs_.OpenTimedShutdown(*this); break;
    case ID_REST_REMINDER:
      if (dialogs_.RunRestReminderSettings(*this)) {
        window().KillTimer(kRestTimer);
        int hours = ReadProfile(profile::kRestReminderTime);
        TheSetup().RestReminderTime = hours;
        if (hours > 0) window().SetTimer(kRestTimer, static_cast<uint32_t>(hours) * kHour);
      }
      break;
    case ID_WINDOW_PATROL: ToggleWindowPatrol(); break;
    case ID_CLEAN_TRACES: SystemIntegration::Current().CleanBrowserTraces(); break;
    case ID_EXIT: QuitAsUser(); break;
    case ID_LOCKED_ADD_KEYWORD: AddKeywordWhileLocked(); break;
    case ID_LOCKED_ADD_SITE: AddSitesWhileLocked(); break;
    case ID_LOCKED_UNLOCK: ShowMainWindow(); break;
    case IDC_CLOSE_BUTTON: window().PostSysCommand(SysCommand::kClose); break;
    case IDC_MINI_BUTTON: window().PostSysCommand(SysCommand::kMinimize); break;
    case IDC_MENU_BUTTON: ShowMainMenu(); break;
    case IDC_SHARE_ICON: dialogs_.RunShareDialog(*this); break;
    default: return false;
  }
  return true;
}

void CKEZODlg::LockNow() {
  if (!lock_.HasPassword() && !dialogs_.RunSetPassword(*this)) return;
  lock_.LockNow();
  HideMainWindow();
}

void CKEZODlg::TogglePause() {
  if (filtering_on_) {
    std::optional<int> minutes = dialogs_.RunPauseDialog(*this);
    if (!minutes) return;
    if (*minutes > 0) window().SetTimer(kPauseTimer, static_cast<uint32_t>(*minutes) * kMinute);
    PauseFiltering();
  } else {
    window().KillTimer(kPauseTimer);
    ResumeFiltering();
  }
}

void CKEZODlg::ToggleWindowPatrol() {
  int on = TheSetup().FormPatrol != 0 ? 0 : 1;
  WriteProfile(profile::kFormPatrol, on);
  TheSetup().FormPatrol = on;
  if (on) {
    patrol_.Start(*black_filter_, *white_filter_);
  } else {
    patrol_.Stop();
  }
}

void CKEZODlg::AddKeywordWhileLocked() {
  std::optional<std::u16string> word = dialogs_.RunAddKeyword(*this);
  if (!word) return;
  CMyList user_words(list_files::kUserWordEditing);
  user_words.Load(true);
  if (!user_words.Add(*word, true)) return;
  black_filter_->Rebuild();
  MessageBox(u"添加成功!");
}

void CKEZODlg::AddSitesWhileLocked() {
  std::vector<std::u16string> sites = dialogs_.RunAddSites(*this, u"添加黑名单网址");
  if (sites.empty()) return;
  lists_.userBlackDomains.AddMany(sites, true);
  if (proxy_ != nullptr) proxy_->Config().ReloadSiteLists();
}

void CKEZODlg::OnControlEvent(int id, ControlEvent event, std::u16string_view detail) {
  if (event != ControlEvent::kLinkClicked) return;
  for (size_t i = 0; i < std::size(kLinkIds); ++i) {
    if (kLinkIds[i] == id) Shell::Current().Open(web_addresses::kLinkBar[i].address);
  }
}

void CKEZODlg::OnHotKey(int id) {
  if (id == SetupRecord::ShowHotKeyId) ToggleMainWindow();
}

bool CKEZODlg::OnSysCommand(SysCommand command) {
  if (command != SysCommand::kClose) return false;
  OnCloseRequest();
  return true;
}

void CKEZODlg::OnCloseRequest() {
  if (ReadProfile(profile::kMainCloseButtonIsHideForm) != 0) {
    if (!close_balloon_shown_) {
      close_balloon_shown_ = true;
      if (tray_added_) window().ShowTrayBalloon(u"Veltra 为您护航", u"程序将在后台继续运行");
      if (ReadProfile(profile::kShowNotifyIcon) == 0) {
        MessageBox(u"由于您设置了关闭主界面时【隐藏】，且【不显示】托盘图标。\n因此您将无法完全退出和继续操作程序。"
                   u"若要恢复软件使用，请使用您设置好的热键来恢复界面。");
      }
    }
    HideMainWindow();
  } else if (forced_mode_.CanLeaveForcedView(*this, current_view_)) {
    Quit();
  }
}

bool CKEZODlg::OnQueryEndSession() {
  SystemIntegration::Current().RemoveSystemProxyAtSessionEnd();
  DestroyWindow();
  return true;
}

void CKEZODlg::OnTimer(int id) {
  switch (id) {
    case kSaveTimer: TheSetup().SaveSetup(); break;
    case kHotKeyTimer: {
      window().KillTimer(id);
      ShowHotKey key = ReadShowHotKey();
      if (!window().RegisterHotKey(SetupRecord::ShowHotKeyId, key.modifiers, key.virtual_key)) {
        dialogs_.ShowHotKeyConflict(*this);
      }
      break;
    }
    case kCalendarTimer:
      window().KillTimer(id);
      OnCommand(ID_HEALTH_CALENDAR);
      break;
    case kCleanTracesTimer:
      window().KillTimer(id);
      SystemIntegration::Current().CleanBrowserTraces();
      break;
    case kLockDelayTimer:
      window().KillTimer(id);
      lock_.LockNow();
      HideMainWindow();
      break;
    case kProxyTimer:
      if (filtering_on_) SystemIntegration::Current().RegisterSystemProxy(ProxyPort());
      break;
    case kPauseTimer:
      window().KillTimer(id);
      ResumeFiltering();
      break;
    case kDataUpdateTimer: StartDataUpdate(); break;
    case kFirstDataUpdateTimer:
      window().KillTimer(id);
      StartDataUpdate();
      break;
    case kProgramUpdateTimer:
      window().KillTimer(id);
      StartProgramUpdate(true);
      break;
    case kRestTimer:
      // The reminder promises a notice after every interval: once the notice has closed,
      // the next interval starts.
      window().KillTimer(id);
      dialogs_.RunRestNotice(*this);
      if (IsOpen() && TheSetup().RestReminderTime > 0) {
        window().SetTimer(kRestTimer, static_cast<uint32_t>(TheSetup().RestReminderTime) * kHour);
      }
      break;
    case kFirstRunTimer:
      window().KillTimer(id);
      if (ReadProfile(profile::kFirstRun) == 0) {
        WriteProfile(profile::kFirstRun, 1);
        FileSystem::Current().Remove("Upgrade.kezo");
        dialogs_.OpenWelcome(*this);
      }
      break;
    case kEndTimer:
      window().KillTimer(id);
      DestroyWindow();
      break;
    default: break;
  }
}

bool CKEZODlg::UpdaterAvailable() {
  if (ProcessRunner::Current().Exists(kUpdater)) return true;
  if (!updater_missing_reported_) {
    updater_missing_reported_ = true;
    MessageBox(u"Updater 文件丢失,请下载最新版本重新安装程序!");
    Shell::Current().Open(web_addresses::kDownloadPage);
  }
  return false;
}

void CKEZODlg::StartDataUpdate() {
  // Two runs at once would unpack and delete each other's packs.
  if (*data_update_running_ || !UpdaterAvailable()) return;
  *data_update_running_ = true;
  std::shared_ptr<ReloadTarget> target = reload_target_;
  std::shared_ptr<std::atomic<bool>> running = data_update_running_;
  start_worker_([target, running] {
    ProcessRunner::Current().RunAndWait(kUpdater, u"", false);
    if (target) target->ReloadAfterUpdate();
    *running = false;
  });
}

void CKEZODlg::StartProgramUpdate(bool from_timer) {
  if (TopLevelWindows::Current().BringToFront(kUpdaterTitle)) return;
  if (!UpdaterAvailable()) return;
  std::u16string arguments = from_timer ? u"-u -h -v=" + version_ : u"-u -v=" + version_;
  start_worker_([arguments] { ProcessRunner::Current().RunAndWait(kUpdater, arguments, true); });
}

void CKEZODlg::Teardown(bool remove_proxy_setting) {
  if (torn_down_) return;
  torn_down_ = true;
  gate_.Close();
  TheSetup().SetCounterDisplay(nullptr);
  if (IsOpen()) window().RemoveTrayIcon();
  TheSetup().SaveSetup();
  if (forced_.running) SystemIntegration::Current().SetAutostart(true);
  // An open update window is asked to close. The servers are stopped all the same: the
  // process ends right after this, and its threads must not outlive what they use.
  TopLevelWindows::Current().PostClose(kUpdaterTitle);
  if (IsOpen()) window().UnregisterHotKey(SetupRecord::ShowHotKeyId);
  if (proxy_ != nullptr) {
    proxy_->Stop();
    if (remove_proxy_setting && !ProxyRestored) SystemIntegration::Current().RemoveSystemProxy();
  }
  digits_.clear();
  dialogs_.DestroyChildWindows();
  patrol_.Stop();
  if (reload_target_) reload_target_->Close();
  control_server_.reset();
  proxy_.reset();
  forced_mode_.StopForcedCountdown(*this);
  WriteProfile(profile::kTimeRemaining, forced_.remaining);
  black_filter_.reset();
  white_filter_.reset();
}
