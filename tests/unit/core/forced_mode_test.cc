// The forced abstinence mode through the main window, with the real dialogs and a count of
// minutes that the test advances.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "config/settings.h"
#include "core/exit_jiese_mode_dlg.h"
#include "core/js_mode_dlg.h"
#include "core/kezo_forced_mode.h"
#include "dialog_scripts.h"
#include "file_text.h"
#include "main_window_fixture.h"
#include "manual_timers.h"
#include "platform/code_page.h"
#include "platform/system_shutdown.h"
#include "recording_shutdown.h"

namespace {

class ForcedModeTest : public MainWindowTest {
 protected:
  ~ForcedModeTest() override {
    // The window, and with it the count, goes before the timers and the mode.
    if (main_) main_->Teardown();
    main_.reset();
    TheSetup().JieSeActive = false;
  }

  void OpenWithForcedMode() {
    main_ = std::make_unique<CKEZODlg>(
        lists_, CKEZODlg::Collaborators{&dialogs_, &mode_, &lock_, nullptr, [](auto work) { work(); }});
    main_->SetQuitsOnDestroy(true);
    ASSERT_TRUE(main_->Create());
    system_.TakeFirstRegistration();
  }

  // Replaces the text of the hours box as the user would, key by key.
  void TypeHours(CDialog& dialog, std::u16string_view hours) {
    size_t typed = ui_.WindowOf(dialog)->Text(IDC_JSMODE_HOURS).size();
    ui_.Type(dialog, IDC_JSMODE_HOURS, std::u16string(typed, u'\b') + std::u16string(hours));
  }
  std::function<void(CDialog&)> ChooseHours(std::u16string hours) {
    return [this, hours](CDialog& dialog) {
      TypeHours(dialog, hours);
      ui_.Click(dialog, kIdOk);
    };
  }
  void RunMenuCommand(int command) {
    ui_.on_menu = [command](const MenuModel&) { return command; };
    ui_.Click(*main_, IDC_MENU_BUTTON);
    ui_.on_menu = nullptr;
  }
  void RunTrayCommand(int command) {
    ui_.on_menu = [command](const MenuModel&) { return command; };
    ui_.SendTrayEvent(*main_, TrayEvent::kRightButtonUp);
    ui_.on_menu = nullptr;
  }
  int StoredMinutes() { return ReadProfile(profile::kTimeRemaining); }
  bool Counting() { return main_->ForcedRecord().running != 0; }
  // The count ends on its own thread after its last firing.
  bool CountEnds() {
    for (int i = 0; i < 500 && Counting(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !Counting();
  }

  ManualTimers timers_;
  ScopedSeam<WaitableTimers> timers_seam_{timers_};
  RecordingShutdown shutdown_;
  ScopedSeam<SystemShutdown> shutdown_seam_{shutdown_};
  KezoForcedMode mode_;
  DialogScripts scripts_{ui_};
};

TEST_F(ForcedModeTest, TwoHoursAreCountedDownMinuteByMinute) {
  OpenWithForcedMode();
  scripts_.Add(IDD_JSMODE, ChooseHours(u"2"));
  ui_.Click(*main_, IDC_JIESE_PICTURE);

  EXPECT_EQ(StoredMinutes(), 120);
  EXPECT_EQ(ReadProfile(profile::kSoftMode), 1);
  EXPECT_EQ(main_->CurrentView(), 1);
  EXPECT_TRUE(Counting());
  EXPECT_TRUE(TheSetup().JieSeActive);
  EXPECT_TRUE(system_.IsAutostartOn());
  EXPECT_EQ(ReadProfile(profile::kIntelligentMonitor), 1) << "lowered from the default 2";
  EXPECT_EQ(timers_.names, std::vector<std::u16string>{u"JieSeTimer"});
  EXPECT_EQ(timers_.periods, std::vector<std::chrono::milliseconds>{std::chrono::minutes(1)});
  EXPECT_EQ(TextOf(TrayMenu(), ID_PAUSE_FILTERING), u"(absent)");

  timers_.Fire();
  EXPECT_EQ(StoredMinutes(), 119);
  EXPECT_EQ(main_->ForcedRecord().remaining, 119);
}

TEST_F(ForcedModeTest, AnExtensionMayNotShortenTheTimeLeft) {
  OpenWithForcedMode();
  scripts_.Add(IDD_JSMODE, ChooseHours(u"2"));
  ui_.Click(*main_, IDC_JIESE_PICTURE);
  timers_.Fire();
  ASSERT_EQ(StoredMinutes(), 119);

  scripts_.Add(IDD_JSMODE, [this](CDialog& dialog) {
    EXPECT_FALSE(ui_.WindowOf(dialog)->IsEnabled(IDC_JSMODE_SWITCH)) << "the switch stays on while counting";
    ChooseHours(u"1")(dialog);
  });
  scripts_.Add(IDD_JSMODE, ChooseHours(u"2"));  // the dialog again, after the message
  RunMenuCommand(ID_FORCED_MODE);

  EXPECT_TRUE(scripts_.AllRun());
  EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{u"新的时间不能低于： 119 分钟。"});
  EXPECT_EQ(StoredMinutes(), 120);
  EXPECT_TRUE(Counting());
  EXPECT_EQ(timers_.names.size(), 1u) << "the running count goes on";
}

TEST_F(ForcedModeTest, MinutesLeftRefuseEveryWayOut) {
  WriteProfile(profile::kMainCloseButtonIsHideForm, 0);  // the close button quits
  OpenWithForcedMode();
  scripts_.Add(IDD_JSMODE, ChooseHours(u"1"));
  ui_.Click(*main_, IDC_JIESE_PICTURE);
  timers_.Fire();

  RunTrayCommand(ID_EXIT);
  RunMenuCommand(ID_BACK_TO_MAIN_VIEW);
  ui_.SendSysCommand(*main_, SysCommand::kClose);

  std::u16string refusal = u"您当前处于【强制戒色模式】，剩余时间 59 分钟。";
  EXPECT_EQ(MessageTexts(), (std::vector<std::u16string>{refusal, refusal, refusal}));
  EXPECT_TRUE(main_->IsOpen());
  EXPECT_FALSE(ui_.QuitRequested());
  EXPECT_FALSE(TheSetup().Exiting);
  EXPECT_EQ(main_->CurrentView(), 1);
}

TEST_F(ForcedModeTest, TheExitWindowLetsTheUserConfirmOnlyAfterTenSeconds) {
  WriteFileText("Data/ExitJSModeTip.txt", WideToLocal(u"冲动会过去，后悔却会留下。\r\n"));
  OpenWithForcedMode();
  // With the switch off the mode's view shows without a count, so leaving it goes
  // straight to the exit window.
  scripts_.Add(IDD_JSMODE, [this](CDialog& dialog) {
    ui_.Click(dialog, IDC_JSMODE_SWITCH);
    EXPECT_FALSE(ui_.WindowOf(dialog)->IsEnabled(IDC_JSMODE_HOURS));
    EXPECT_EQ(ui_.WindowOf(dialog)->Text(IDC_JSMODE_HOURS), u"0");
    ui_.Click(dialog, kIdOk);
  });
  ui_.Click(*main_, IDC_JIESE_PICTURE);
  ASSERT_EQ(main_->CurrentView(), 1);
  EXPECT_FALSE(Counting());

  // The first time the user gives up; the second time waits the ten seconds and confirms.
  scripts_.Add(IDD_EXIT_JIESE_MODE, [this](CDialog& exit) {
    HeadlessWindow& window = *ui_.WindowOf(exit);
    EXPECT_FALSE(window.Text(IDC_DIALOG_TEXT).empty()) << "a sentence from Data\\ExitJSModeTip.txt";
    ui_.Click(exit, IDC_FORCE_SHUTDOWN);
    ui_.Click(exit, kIdCancel);
  });
  scripts_.Add(IDD_EXIT_JIESE_MODE, [this](CDialog& exit) {
    HeadlessWindow& window = *ui_.WindowOf(exit);
    EXPECT_EQ(window.Text(kIdOk), u"确定(10)");
    for (int second = 1; second < CExitJieSeModeDlg::kWaitSeconds; ++second) {
      EXPECT_FALSE(ui_.Click(exit, kIdOk)) << "after " << second - 1 << " s";
      ui_.FireTimer(exit, CExitJieSeModeDlg::kCountdownTimer);
    }
    EXPECT_EQ(window.Text(kIdOk), u"确定(1)");
    EXPECT_FALSE(ui_.Click(exit, kIdOk));
    ui_.FireTimer(exit, CExitJieSeModeDlg::kCountdownTimer);
    EXPECT_EQ(window.Text(kIdOk), u"确定");
    EXPECT_TRUE(ui_.Click(exit, kIdOk));
  });
  RunMenuCommand(ID_BACK_TO_MAIN_VIEW);
  EXPECT_EQ(main_->CurrentView(), 1) << "given up";
  EXPECT_EQ(shutdown_.forced, 1);
  RunMenuCommand(ID_BACK_TO_MAIN_VIEW);
  EXPECT_EQ(main_->CurrentView(), 0) << "confirmed";
  EXPECT_EQ(ReadProfile(profile::kSoftMode), 0);
  EXPECT_TRUE(scripts_.AllRun());
}

TEST_F(ForcedModeTest, TheCountEndsOneMinuteAfterTheLastMinute) {
  OpenWithForcedMode();
  scripts_.Add(IDD_JSMODE, ChooseHours(u"1"));
  ui_.Click(*main_, IDC_JIESE_PICTURE);
  for (int minute = 0; minute < 60; ++minute) timers_.Fire();
  EXPECT_EQ(StoredMinutes(), 0);
  EXPECT_TRUE(TheSetup().JieSeActive) << "still counting until the next firing";

  timers_.FireLast();
  EXPECT_TRUE(CountEnds());
  EXPECT_FALSE(TheSetup().JieSeActive);
  EXPECT_EQ(StoredMinutes(), 0);
}

TEST_F(ForcedModeTest, ARestartResumesTheStoredMinutes) {
  WriteProfile(profile::kSoftMode, 1);
  WriteProfile(profile::kTimeRemaining, 30);
  WriteProfile(profile::kIntelligentMonitor, 3);
  OpenWithForcedMode();

  EXPECT_EQ(main_->CurrentView(), 1);
  EXPECT_EQ(main_->ForcedRecord().remaining, 30);
  EXPECT_TRUE(Counting());
  EXPECT_TRUE(system_.IsAutostartOn());
  EXPECT_EQ(ReadProfile(profile::kIntelligentMonitor), 1);
  timers_.Fire();

  main_->Teardown();
  EXPECT_FALSE(TheSetup().JieSeActive) << "the count has stopped";
  EXPECT_EQ(StoredMinutes(), 29);
}

TEST_F(ForcedModeTest, WithoutATimerTheViewShowsAndTheMinutesStay) {
  timers_.fail_creation = true;
  OpenWithForcedMode();
  scripts_.Add(IDD_JSMODE, ChooseHours(u"3"));
  ui_.Click(*main_, IDC_JIESE_PICTURE);
  EXPECT_EQ(main_->CurrentView(), 1);
  EXPECT_FALSE(Counting());
  EXPECT_EQ(StoredMinutes(), 180);
}

TEST_F(ForcedModeTest, TheHoursMustBeAWholeNumberUpTo9999) {
  OpenWithForcedMode();
  CJSModeDlg dialog;
  ui_.on_modal = [&](CDialog& opened) {
    HeadlessWindow& window = *ui_.WindowOf(opened);
    EXPECT_EQ(window.Check(IDC_JSMODE_SWITCH), CheckState::kChecked);
    EXPECT_EQ(window.Text(IDC_JSMODE_HOURS), u"1");
    for (std::u16string_view entry : {u"10000", u"", u"99999999999999999999"}) {
      TypeHours(opened, entry);
      ui_.Click(opened, kIdOk);
      EXPECT_FALSE(window.IsEnded()) << std::string(entry.begin(), entry.end());
    }
    TypeHours(opened, u"9999");
    ui_.Click(opened, kIdOk);
    return kIdCancel;
  };
  EXPECT_EQ(dialog.DoModal(main_.get()), kIdOk);
  EXPECT_EQ(dialog.hours, 9999);
  EXPECT_EQ(MessageTexts(), (std::vector<std::u16string>{u"请输入一个介于 0 和 9999 之间的整数。", u"请输入一个整数。",
                                                         u"请输入一个整数。"}));
}

TEST(AdmonitionsTest, KeepsTheNonEmptyLinesWithinTheirLength) {
  ScopedTempWorkingFolder folder;
  std::string long_line = std::string(1022, 'a') + WideToLocal(u"戒");  // the character would end at byte 1024
  WriteFileText("Data/ExitJSModeTip.txt", WideToLocal(u"第一句\r\n\r\n第二句\n") + long_line + "\r\n");
  std::vector<std::u16string> lines = ReadAdmonitions("Data\\ExitJSModeTip.txt");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], u"第一句");
  EXPECT_EQ(lines[1], u"第二句");
  EXPECT_EQ(lines[2], std::u16string(1022, u'a')) << "cut before the character, not inside it";
  EXPECT_TRUE(ReadAdmonitions("Data\\missing.txt").empty());
}

}  // namespace
