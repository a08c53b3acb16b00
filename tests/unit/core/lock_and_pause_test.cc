// The password lock and the pause through the main window, with the real dialogs.
#include <gtest/gtest.h>

#include <functional>

#include "config/lock_record.h"
#include "config/settings.h"
#include "core/kezo_dialogs.h"
#include "core/pause_dlg.h"
#include "core/safe_dlg.h"
#include "core/set_password_dlg.h"
#include "dialog_scripts.h"
#include "main_window_fixture.h"

namespace {

class LockAndPauseTest : public MainWindowTest {
 protected:
  LockAndPauseTest() {
    LockRecord& record = TheLockRecord();
    record.PASSWORD.clear();
    record.LOCKED = 0;
    record.loaded = true;
  }
  ~LockAndPauseTest() override {
    // The window goes before the dialogs it uses.
    if (main_) main_->Teardown();
    main_.reset();
    TheLockRecord().PASSWORD.clear();
    TheLockRecord().LOCKED = 0;
  }

  // The main window with the real dialogs and the real lock.
  void OpenWithRealDialogs() {
    main_ = std::make_unique<CKEZODlg>(
        lists_, CKEZODlg::Collaborators{&real_dialogs_, &forced_, nullptr, nullptr, [](auto work) { work(); }});
    main_->SetQuitsOnDestroy(true);
    ASSERT_TRUE(main_->Create());
    system_.TakeFirstRegistration();
  }

  // Types the password into a set-password dialog twice and confirms it.
  std::function<void(CDialog&)> SetTo(std::u16string password) {
    return [this, password](CDialog& dialog) {
      ui_.Type(dialog, IDC_PASSWORD, password);
      ui_.Type(dialog, IDC_PASSWORD_CONFIRM, password);
      ui_.Click(dialog, kIdOk);
    };
  }
  std::function<void(CDialog&)> Answer(std::u16string password) {
    return [this, password](CDialog& dialog) {
      ui_.Type(dialog, IDC_PASSWORD, password);
      ui_.Click(dialog, kIdOk);
    };
  }
  std::u16string StoredPassword() { return ReadProfile(profile::kPASSWORD); }

  KezoDialogs real_dialogs_;
  DialogScripts scripts_{ui_};
};

TEST_F(LockAndPauseTest, ThePasswordPageSetsChangesAndRemovesThePassword) {
  CSafeDlg page;
  ASSERT_TRUE(page.Create());
  HeadlessWindow& window = *ui_.WindowOf(page);
  EXPECT_EQ(window.Text(IDC_PASSWORD_STATUS), u"您没有设置安全密码");
  EXPECT_FALSE(window.IsEnabled(IDC_CLEAR_PASSWORD));
  EXPECT_FALSE(window.IsEnabled(IDC_CHANGE_PASSWORD));
  EXPECT_EQ(window.ComboCount(IDC_LOCK_DELAY), 6);
  EXPECT_EQ(window.ComboSelection(IDC_LOCK_DELAY), 0);
  ui_.SelectCombo(page, IDC_LOCK_DELAY, 5);
  EXPECT_EQ(ReadProfile(profile::kLOCKDELAY), 180);

  scripts_.Add(IDD_SET_PASSWORD, SetTo(u"secret1"));
  ui_.on_message_box = [](const MessageBoxRequest&) { return kIdOk; };
  ui_.Click(page, IDC_SET_PASSWORD);
  EXPECT_EQ(StoredPassword(), ScramblePassword(u"secret1"));
  EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{u"请牢记安全密码，一旦遗忘将无法恢复。确认设置密码吗？"});
  EXPECT_EQ(window.Text(IDC_PASSWORD_STATUS), u"您已设置安全密码");
  EXPECT_FALSE(window.IsEnabled(IDC_SET_PASSWORD));

  // Changing: a wrong answer (differing only in case) first, then the right one.
  scripts_.Add(IDD_VERIFY_PASSWORD, [this](CDialog& prompt) {
    ui_.Type(prompt, IDC_PASSWORD, u"Secret1");
    ui_.Click(prompt, kIdOk);
    EXPECT_EQ(ui_.WindowOf(prompt)->Text(IDC_PASSWORD), u"") << "a wrong password is cleared";
    ui_.Type(prompt, IDC_PASSWORD, u"secret1");
    ui_.Click(prompt, kIdOk);
  });
  scripts_.Add(IDD_SET_PASSWORD, SetTo(u"newpass12"));
  ui_.Click(page, IDC_CHANGE_PASSWORD);
  EXPECT_EQ(StoredPassword(), ScramblePassword(u"newpass12"));
  EXPECT_EQ(MessageTexts(), (std::vector<std::u16string>{u"您输入的密码不正确，请重新输入！", u"身份验证通过，请设置新密码！",
                                                         u"请牢记安全密码，一旦遗忘将无法恢复。确认设置密码吗？"}));

  scripts_.Add(IDD_VERIFY_PASSWORD, Answer(u"newpass12"));
  TheLockRecord().LOCKED = 1;
  ui_.Click(page, IDC_CLEAR_PASSWORD);
  EXPECT_EQ(StoredPassword(), u"");
  EXPECT_EQ(ReadProfile(profile::kLOCKED), 0);
  EXPECT_EQ(window.Text(IDC_PASSWORD_STATUS), u"您没有设置安全密码");
}

TEST_F(LockAndPauseTest, TheSetPasswordDialogHoldsToItsRules) {
  CSetPasswordDlg dialog;
  ui_.on_modal = [&](CDialog& opened) {
    HeadlessWindow& window = *ui_.WindowOf(opened);
    EXPECT_EQ(ui_.ControlOf(opened, IDC_PASSWORD)->password_char, u'\u25CF');
    ui_.Click(opened, IDC_SHOW_PASSWORD);
    EXPECT_EQ(ui_.ControlOf(opened, IDC_PASSWORD)->password_char, 0) << "shown plainly";

    ui_.Click(opened, kIdOk);
    EXPECT_EQ(window.FocusedControl(), IDC_PASSWORD) << "an empty password";
    ui_.Type(opened, IDC_PASSWORD, u"abcde");
    ui_.Click(opened, kIdOk);
    EXPECT_EQ(window.FocusedControl(), IDC_PASSWORD_CONFIRM) << "an empty confirmation";
    ui_.Type(opened, IDC_PASSWORD_CONFIRM, u"abcdf");
    ui_.Click(opened, kIdOk);
    window.SetText(IDC_PASSWORD_CONFIRM, u"");
    ui_.Type(opened, IDC_PASSWORD_CONFIRM, u"abcde");
    ui_.on_message_box = [](const MessageBoxRequest& request) { return request.caption == u"确认" ? kIdCancel : kIdOk; };
    ui_.Click(opened, kIdOk);  // not confirmed: stays
    ui_.on_message_box = [](const MessageBoxRequest&) { return kIdOk; };
    ui_.Click(opened, kIdOk);  // five characters are too few
    EXPECT_TRUE(opened.IsOpen());

    window.SetText(IDC_PASSWORD, u"");
    window.SetText(IDC_PASSWORD_CONFIRM, u"");
    ui_.Type(opened, IDC_PASSWORD, u"abcdefghijklm");
    ui_.Type(opened, IDC_PASSWORD_CONFIRM, u"abcdefghijklm");
    EXPECT_EQ(window.Text(IDC_PASSWORD), u"abcdefghijkl") << "a 13th character cannot be typed";
    ui_.Click(opened, kIdOk);
    return kIdCancel;
  };
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  EXPECT_EQ(StoredPassword(), ScramblePassword(u"abcdefghijkl"));
  EXPECT_EQ(MessageTexts(), (std::vector<std::u16string>{u"确认密码不一致，请重新输入！",
                                                         u"请牢记安全密码，一旦遗忘将无法恢复。确认设置密码吗？",
                                                         u"请牢记安全密码，一旦遗忘将无法恢复。确认设置密码吗？",
                                                         u"密码设置不成功，请输入一个 6-12位字符的密码！",
                                                         u"请牢记安全密码，一旦遗忘将无法恢复。确认设置密码吗？"}));
}

TEST_F(LockAndPauseTest, LockingAsksForAPasswordFirstAndShowingAsksForItBack) {
  OpenWithRealDialogs();
  main_->ShowMainWindow();
  ui_.Click(*main_, ID_LOCK_NOW);  // no password: the set-password dialog, cancelled
  EXPECT_EQ(TheLockRecord().LOCKED, 0);
  EXPECT_TRUE(Window().IsVisible());

  ui_.on_message_box = [](const MessageBoxRequest&) { return kIdOk; };
  scripts_.Add(IDD_SET_PASSWORD, SetTo(u"secret1"));
  main_->HandleCommand(ID_LOCK_NOW);
  EXPECT_EQ(TheLockRecord().LOCKED, 1);
  EXPECT_EQ(ReadProfile(profile::kLOCKED), 1);
  EXPECT_FALSE(Window().IsVisible());
  EXPECT_EQ(Window().Tray().icon, IDI_TRAY_LOCKED);
  EXPECT_EQ(Window().Title(), u"Veltra_锁定");

  main_->ShowMainWindow();  // the prompt, cancelled: still locked and hidden
  EXPECT_EQ(TheLockRecord().LOCKED, 1);
  EXPECT_FALSE(Window().IsVisible());

  scripts_.Add(IDD_VERIFY_PASSWORD, Answer(u"secret1"));
  ui_.SendTrayEvent(*main_, TrayEvent::kLeftButtonDown);
  EXPECT_EQ(TheLockRecord().LOCKED, 0);
  EXPECT_TRUE(Window().IsVisible());
  EXPECT_EQ(Window().Title(), u"Veltra");
}

TEST_F(LockAndPauseTest, HidingLocksAfterTheChosenDelayUnlessShownAgain) {
  ASSERT_TRUE(SetPassword(u"secret1"));
  OpenWithRealDialogs();
  for (int minutes : {0, 180}) {
    SCOPED_TRACE(minutes);
    TheLockRecord().LOCKED = 0;
    WriteProfile(profile::kLOCKDELAY, minutes);
    main_->HideMainWindow();
    ASSERT_TRUE(Window().Timers().count(6));
    EXPECT_EQ(Window().Timers().at(6).period_ms, static_cast<uint32_t>(minutes) * 60000u);
    if (minutes == 180) {
      scripts_.Add(IDD_VERIFY_PASSWORD, [](CDialog&) { ADD_FAILURE() << "not locked yet: no prompt"; });
      main_->ShowMainWindow();
      EXPECT_FALSE(Window().Timers().count(6)) << "showing the window again keeps it unlocked";
      main_->HideMainWindow();
    }
    ui_.FireTimer(*main_, 6);
    EXPECT_EQ(TheLockRecord().LOCKED, 1);
    EXPECT_FALSE(Window().Timers().count(6));
    EXPECT_EQ(Window().Tray().icon, IDI_TRAY_LOCKED);
  }
}

TEST_F(LockAndPauseTest, AStartWithAStoredLockStartsHiddenAndLockedOnlyWithAPassword) {
  class LoadingLifecycle : public AppLifecycle {
    void LoadLockState() override { ::LoadLockState(); }
  };
  for (bool with_password : {true, false}) {
    SCOPED_TRACE(with_password ? "password" : "no password");
    WriteProfile(profile::kLOCKED, 1);
    WriteProfile(profile::kPASSWORD, with_password ? ScramblePassword(u"secret1") : u"");
    TheSetup().Exiting = false;
    ServersStopping = false;
    LoadingLifecycle lifecycle;
    CKEZOApp app({}, lifecycle);
    ui_.Dispatcher().Post([&] {
      CKEZODlg& main = *app.MainDialog();
      HeadlessWindow& window = *ui_.WindowOf(main);
      EXPECT_EQ(window.IsVisible(), !with_password);
      EXPECT_EQ(window.Tray().icon, with_password ? IDI_TRAY_LOCKED : IDI_TRAY_NORMAL);
      EXPECT_EQ(TheLockRecord().LOCKED, with_password ? 1 : 0);
      main.DestroyWindow();
    });
    app.Run();
  }
}

TEST_F(LockAndPauseTest, APauseOfFiveMinutesEndsByTimerAndAPauseByHandByTheTrayCommand) {
  OpenWithRealDialogs();
  ui_.Click(*main_, ID_PAUSE_FILTERING);  // the pause dialog, cancelled
  EXPECT_TRUE(main_->FilteringOn());

  scripts_.Add(IDD_PAUSE, [this](CDialog& dialog) {
    HeadlessWindow& window = *ui_.WindowOf(dialog);
    ASSERT_EQ(window.ComboCount(IDC_PAUSE_CHOICE), 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(window.ComboText(IDC_PAUSE_CHOICE, i), CPauseDlg::kChoices[i].label);
    EXPECT_EQ(window.ComboText(IDC_PAUSE_CHOICE, window.ComboSelection(IDC_PAUSE_CHOICE)), u"5    分钟");
    ui_.Click(dialog, kIdOk);
  });
  main_->HandleCommand(ID_PAUSE_FILTERING);
  EXPECT_FALSE(main_->FilteringOn());
  EXPECT_EQ(system_.removed, 1) << "the proxy setting goes at once";
  EXPECT_EQ(Window().Timers().at(9).period_ms, 300000u);
  ui_.FireTimer(*main_, 9);
  EXPECT_TRUE(main_->FilteringOn());
  EXPECT_EQ(system_.registered.size(), 1u);

  scripts_.Add(IDD_PAUSE, [this](CDialog& dialog) {
    ui_.SelectCombo(dialog, IDC_PAUSE_CHOICE, 6);  // until resumed by hand
    ui_.Click(dialog, kIdOk);
  });
  main_->HandleCommand(ID_PAUSE_FILTERING);
  EXPECT_FALSE(Window().Timers().count(9));
  EXPECT_EQ(Window().Tray().icon, IDI_TRAY_PAUSED);
  main_->HandleCommand(ID_PAUSE_FILTERING);
  EXPECT_TRUE(main_->FilteringOn());
  EXPECT_EQ(system_.registered.size(), 2u);
  EXPECT_EQ(Window().Tray().icon, IDI_TRAY_NORMAL);
}

}  // namespace
