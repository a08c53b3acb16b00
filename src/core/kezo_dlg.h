#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "config/settings.h"
#include "core/forced_mode.h"
#include "framework/dialog.h"
#include "framework/image.h"
#include "framework/ui_dispatcher.h"
#include "settings_ui/explorer1.h"
#include "settings_ui/my_button.h"
#include "settings_ui/picture.h"

class CLocalHttpServer;
class CLocalProxy;
class CWordFilter;
class LockControl;
class MainWindowDialogs;
class WindowPatrolControl;
struct SharedLists;

// Private window messages of the main window.
inline constexpr uint32_t WM_KEZO_TRAY = 0x401;
inline constexpr uint32_t WM_KEZO_OPENSETTINGS = 0x403;
inline constexpr uint32_t WM_KEZO_SHOWMAIN = 0x698;
inline constexpr uint32_t WM_KEZO_QUIT = 0x6A3;

// Where the main window's counter puts its digits: the pictures stand side by side from
// (left, top), each `digit_width` pixels wide.
struct CounterLayout {
  std::string digits;  // the total in decimal, at most 10 digits
  int left = 0;
  int top = 0;
};
CounterLayout LayOutCounter(uint32_t total, int digit_width);

// The main window: owner of the control server, the proxy and the two keyword filters;
// keeper of the tray icon, the program's timers and the counter of filtered items; and the
// dispatcher of every menu command. It lives hidden in the tray most of the time.
//
// Everything runs on the user-interface thread except DrawCounter, which counting threads
// call; it carries the drawing over to the user-interface thread and waits for it.
class CKEZODlg : public CDialog, public CounterDisplay {
 public:
  static constexpr int kWidth = 898;
  static constexpr int kHeight = 600;
  static constexpr int kCaptionBand = 46;
  static constexpr int kTrayIconId = 128;
  static constexpr int kCounterLeft = 625;
  static constexpr int kCounterTop = 150;

  // Collaborators whose work belongs to other parts of the program; each defaults to one
  // that does nothing visible.
  struct Collaborators {
    MainWindowDialogs* dialogs = nullptr;
    ForcedMode* forced_mode = nullptr;
    LockControl* lock = nullptr;
    WindowPatrolControl* patrol = nullptr;
    // Runs work off the user-interface thread (the update starters); a new thread each
    // time by default.
    std::function<void(std::function<void()>)> start_worker;
  };

  // Reads the forced-mode minutes and builds the black, then the white keyword filter.
  // `lists` must outlive the window.
  CKEZODlg(SharedLists& lists, Collaborators collaborators);
  explicit CKEZODlg(SharedLists& lists) : CKEZODlg(lists, Collaborators{}) {}
  ~CKEZODlg() override;

  void ShowMainWindow();
  void HideMainWindow();
  void ToggleMainWindow();
  // Shows the view that SoftMode names, unless it is already shown.
  void ApplyViewMode();
  // Changes the view: writes SoftMode at once and applies it.
  void SetViewMode(int mode);
  // Redraws the counter with `total`; any thread.
  void DrawCounter(int total) override;
  // 0: rebuild both filters, reload the site lists and smart monitoring; 1: rebuild both
  // filters; 2: reload the site lists; 3: reload smart monitoring.
  void ReloadData(int kind);
  // Pausing takes the system proxy setting away (a timed pause has set timer 9 first);
  // resuming puts it back.
  void PauseFiltering();
  void ResumeFiltering();
  // Ends a pause, timed or not: the forced mode filters for all of its time.
  void EndPause();
  // Frees everything in its order (tray icon, counter, servers, children, forced-mode
  // minutes, filters). Runs once; the destructor runs it when nobody did. The system proxy
  // setting is removed after the proxy has stopped, unless `remove_proxy_setting` is false
  // (the application's exit step has removed it already).
  void Teardown(bool remove_proxy_setting = true);

  bool FilteringOn() const { return filtering_on_; }
  int CurrentView() const { return current_view_; }
  bool StartupFailed() const { return startup_failed_; }
  ForcedModeRecord& ForcedRecord() { return forced_; }
  CLocalProxy* Proxy() const { return proxy_.get(); }
  CLocalHttpServer* ControlServer() const { return control_server_.get(); }
  CWordFilter* BlackFilter() { return black_filter_.get(); }
  CWordFilter* WhiteFilter() { return white_filter_.get(); }
  CExplorer1& Browser() { return browser_; }
  // The lists the proxy judges by, shared with the pages that edit them.
  SharedLists& Lists() { return lists_; }
  MainWindowDialogs& Dialogs() { return dialogs_; }
  // Registers `key` as the show/hide hot key in place of the one registered now. When the
  // system refuses it, the previous one is registered again. Returns whether `key` holds.
  bool ReplaceShowHotKey(const ShowHotKey& key);
  // Adds or removes the tray icon (it shows the program's state when added).
  void ShowTrayIcon(bool shown);
  // Asks for a start with administrator rights: RunAsAdmin, then the user's quit on the
  // next turn of the message loop, so the caller (a page of the settings centre, which goes
  // with this window) has returned first.
  void RestartElevated();
  // The request the control server's ".set" command makes; any thread. Returns once the
  // settings centre has been opened (or at once when the window is going away).
  void OpenSettingsFromServer();
  // The user's own quit from outside the window (Ctrl+C in the terminal): refused while the
  // program is locked, and asked of the forced mode, as the tray's quit command is.
  void QuitAsUser();
  // An end that the user did not choose in the program (a service manager's stop, the
  // terminal going away): the window goes without Exiting, so Launcher starts the program
  // again.
  void EndFromOutside();

 protected:
  bool OnInit() override;
  void OnOk() override {}
  void OnCancel() override {}
  bool OnCommand(int id) override;
  void OnTimer(int id) override;
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override;
  bool OnPrivateMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) override;
  void OnTrayEvent(int icon_id, TrayEvent event) override;
  void OnHotKey(int id) override;
  bool OnSysCommand(SysCommand command) override;
  bool OnQueryEndSession() override;

 private:
  // What the update starters reload once Updater has ended; closed at teardown, before the
  // proxy and the filters go, so a late starter finds nothing to reload.
  class ReloadTarget;

  bool StartServers();
  bool LoadDigitPictures();
  // Places the controls in pixels (the template's dialog units depend on the font).
  void PlaceControls();
  void SetUpDecorations();
  void StartTimers();
  void DrawCounterNow(int total);
  void SetTrayIcon(int icon);
  void AddTrayIcon();
  // The tray icon for the program's state: locked, paused or normal.
  int StateTrayIcon();
  void ShowLockedState();
  void ShowTrayMenu();
  void ShowLockedTrayMenu();
  void ShowMainMenu();
  void OnCloseRequest();
  void Quit();
  uint16_t ProxyPort() const;
  // The update starts: a silent data update, or a program update check (from the timer
  // with "-h").
  void StartDataUpdate();
  void StartProgramUpdate(bool from_timer);
  bool UpdaterAvailable();
  void AddKeywordWhileLocked();
  void AddSitesWhileLocked();
  void TogglePause();
  void LockNow();
  void ToggleWindowPatrol();

  SharedLists& lists_;
  MainWindowDialogs& dialogs_;
  ForcedMode& forced_mode_;
  LockControl& lock_;
  WindowPatrolControl& patrol_;
  std::function<void(std::function<void()>)> start_worker_;

  ForcedModeRecord forced_;
  std::unique_ptr<CWordFilter> black_filter_;
  std::unique_ptr<CWordFilter> white_filter_;
  std::unique_ptr<CLocalHttpServer> control_server_;
  std::unique_ptr<CLocalProxy> proxy_;
  std::shared_ptr<ReloadTarget> reload_target_;
  // Set while a data update's Updater runs; its worker clears it when Updater has ended.
  std::shared_ptr<std::atomic<bool>> data_update_running_ = std::make_shared<std::atomic<bool>>(false);
  SendGate gate_;

  bool filtering_on_ = false;
  int current_view_ = -1;
  bool startup_failed_ = false;
  bool tray_added_ = false;
  bool close_balloon_shown_ = false;
  bool updater_missing_reported_ = false;
  bool password_prompt_open_ = false;
  bool torn_down_ = false;
  std::vector<ImagePtr> digits_;
  std::u16string version_;

  CMyButton close_button_;
  CMyButton mini_button_;
  CMyButton menu_button_;
  CPicture jiese_picture_;
  CPicture xiushen_picture_;
  CPicture share_picture_;
  CExplorer1 browser_;
};
