#pragma once

// The main window on the headless backend, with its servers on free ports, its pictures
// in a temporary program folder and every outside effect recorded: the fixture of the
// main window's tests.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "config/process_flags.h"
#include "config/profile_values.h"
#include "core/app_lifecycle.h"
#include "core/kezo_app.h"
#include "core/kezo_dlg.h"
#include "core/kezo_resources.h"
#include "core/lock_control.h"
#include "core/main_window_dialogs.h"
#include "fake_clock.h"
#include "fake_desktop.h"
#include "framework/application.h"
#include "framework/headless/headless_ui.h"
#include "memory_profile_store.h"
#include "platform/sockets.h"
#include "proxy/control_server.h"
#include "proxy/local_proxy.h"
#include "recording_system_integration.h"
#include "resource.h"
#include "rules/shared_lists.h"
#include "rules/word_filter.h"
#include "temp_folder.h"
#include "test_pictures.h"

inline constexpr int kDigitWidth = 20;

class RecordingDialogs : public MainWindowDialogs {
 public:
  void OpenSettingsCentre(CKEZODlg& main) override { calls.push_back("settings"); }
  void OpenHealthCalendar(CKEZODlg& main) override { calls.push_back("calendar"); }
  void OpenWelcome(CKEZODlg& main) override { calls.push_back("welcome"); }
  void ShowHotKeyConflict(CKEZODlg& main) override { calls.push_back("hot-key conflict"); }
  void DestroyChildWindows() override { calls.push_back("destroy children"); }
  std::optional<int> RunPauseDialog(CKEZODlg& main) override { return pause_minutes; }
  bool RunPasswordPrompt(CKEZODlg& main) override {
    calls.push_back("password prompt");
    return prompt_answer;
  }
  std::optional<std::u16string> RunAddKeyword(CKEZODlg& main) override { return keyword; }

  std::vector<std::string> calls;
  std::optional<int> pause_minutes;
  bool prompt_answer = false;
  std::optional<std::u16string> keyword;
};

class RecordingForcedMode : public ForcedMode {
 public:
  bool CanLeaveForcedView(CKEZODlg& main, int current_view) override {
    asked_views.push_back(current_view);
    return allow;
  }
  void StartForcedCountdown(CKEZODlg& main) override { ++countdown_starts; }

  bool allow = true;
  std::vector<int> asked_views;
  int countdown_starts = 0;
};

class FakeLock : public LockControl {
 public:
  bool HasPassword() override { return password; }
  bool IsLocked() override { return locked; }
  void LockNow() override { locked = true; }
  void Unlock() override { locked = false; }
  bool password = false;
  bool locked = false;
};

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    ServersStopping = false;
    ProxyRestored = false;
    TheSetup().Exiting = false;
    TheSetup().SoftMode = 0;
    WriteProfile(profile::kHttpPort, 0);
    WriteProfile(profile::kProxyPort, 0);
    test_pictures::WriteMainWindowPictures(folder_.path(), kDigitWidth);
    runner_.present.insert("Updater.exe");
  }
  ~MainWindowTest() override {
    if (main_) main_->Teardown();
    main_.reset();
    TheSetup().SetCounterDisplay(nullptr);
    TheSetup().Exiting = false;
    TheSetup().loaded = false;
    TheSetup().FilterCount = 0;
    TheSetup().NonePicture = 0;
    TheSetup().ManualFilterImage = 1;
    ServersStopping = false;
  }

  // `dialogs`: the main window's dialogs, the recording ones unless named.
  void Open(MainWindowDialogs* dialogs = nullptr) {
    CKEZODlg::Collaborators parts{dialogs != nullptr ? dialogs : &dialogs_, &forced_, &lock_, nullptr,
                                  [](std::function<void()> work) { work(); }};
    main_ = std::make_unique<CKEZODlg>(lists_, parts);
    main_->SetQuitsOnDestroy(true);  // as the application's main window
    ASSERT_TRUE(main_->Create());
    if (main_->Proxy() != nullptr && main_->Proxy()->IsListening()) {
      EXPECT_EQ(system_.TakeFirstRegistration(), main_->Proxy()->Port())
          << "the proxy points the system at itself once its lists are loaded";
    }
  }
  HeadlessWindow& Window() { return *ui_.WindowOf(*main_); }

  // The texts of the menu shown after a right click on the tray icon.
  MenuModel TrayMenu() {
    ui_.SendTrayEvent(*main_, TrayEvent::kRightButtonUp);
    EXPECT_FALSE(ui_.menus.empty());
    return ui_.menus.back();
  }
  MenuModel MainMenu() {
    ui_.Click(*main_, IDC_MENU_BUTTON);
    EXPECT_FALSE(ui_.menus.empty());
    return ui_.menus.back();
  }
  // The texts of the message boxes shown since the last call.
  std::vector<std::u16string> MessageTexts() {
    std::vector<std::u16string> texts;
    for (const MessageBoxRequest& request : ui_.message_boxes) texts.push_back(request.text);
    ui_.message_boxes.clear();
    return texts;
  }
  static std::u16string TextOf(const MenuModel& menu, int id) {
    const MenuItem* item = menu.Find(id);
    return item ? item->text : u"(absent)";
  }

  CApplication application_{u"Veltra"};  // the title of windows and message boxes
  ScopedTempWorkingFolder folder_;
  MemoryProfileStore profile_;
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  FakeClock clock_;
  ScopedSeam<Clock> clock_seam_{clock_};
  RecordingSystemIntegration system_;
  ScopedSeam<SystemIntegration> system_seam_{system_};
  FakeShell shell_;
  ScopedSeam<Shell> shell_seam_{shell_};
  FakeProcessRunner runner_;
  ScopedSeam<ProcessRunner> runner_seam_{runner_};
  FakeTopLevelWindows windows_;
  ScopedSeam<TopLevelWindows> windows_seam_{windows_};
  HeadlessUi ui_{KezoResources()};
  ScopedUiBackend installed_{ui_};
  RecordingDialogs dialogs_;
  RecordingForcedMode forced_;
  FakeLock lock_;
  SharedLists lists_;
  std::unique_ptr<CKEZODlg> main_;
};

