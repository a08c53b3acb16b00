// The rest reminder: its choice from the tray's command, the main window's timer and the
// full-screen notice.
#include <gtest/gtest.h>

#include "config/profile_values.h"
#include "tools/need_rest_dlg.h"
#include "tools_fixture.h"

namespace {

constexpr int kRestTimer = 14;
constexpr uint32_t kHourMs = 3600000;

class RestReminderTest : public ToolsTest {
 protected:
  // Chooses `index` in the reminder's list and confirms, from the tray.
  void ChooseInterval(int index) {
    scripts_.Add(IDD_REST_REMINDER, [this, index](CDialog& dialog) {
      ASSERT_TRUE(ui_.SelectCombo(dialog, IDC_REST_INTERVAL, index));
      ASSERT_TRUE(ui_.Click(dialog, kIdOk));
    });
    RunTrayCommand(ID_REST_REMINDER);
  }
  // The notice as the next script sees it: its message, and whether it ran out by itself.
  void ExpectNotice(std::u16string message) {
    scripts_.Add(IDD_NEED_REST, [this, message](CDialog& notice) {
      HeadlessWindow& window = WindowOf(notice);
      EXPECT_EQ(window.Text(IDC_REST_MESSAGE), message);
      EXPECT_EQ(window.Text(IDC_REST_COUNTDOWN), u"");
      EXPECT_EQ(window.WindowRect(), ui_.screen) << "over the whole screen, the task bar included";
      EXPECT_TRUE(window.IsTopMost());
      EXPECT_EQ(window.Look().opacity, 250);
      EXPECT_EQ(window.Look().background, Rgb(0, 0, 0));
      EXPECT_EQ(window.Look().static_text_color, CNeedRestDlg::kTextColour);
      ASSERT_TRUE(ui_.FireTimer(notice, CNeedRestDlg::kCountdownTimer));
      EXPECT_EQ(window.Text(IDC_REST_COUNTDOWN), u"剩余时间: 299 秒 鼠标双击关闭");
      for (int second = 2; second < CNeedRestDlg::kRestSeconds; ++second) {
        ui_.FireTimer(notice, CNeedRestDlg::kCountdownTimer);
      }
      EXPECT_EQ(window.Text(IDC_REST_COUNTDOWN), u"剩余时间: 1 秒 鼠标双击关闭");
      EXPECT_FALSE(window.IsEnded());
      ui_.FireTimer(notice, CNeedRestDlg::kCountdownTimer);
      EXPECT_TRUE(window.IsEnded()) << "five minutes after it opened";
      EXPECT_FALSE(window.Timers().count(CNeedRestDlg::kCountdownTimer));
      ++notices_run_out_;
    });
  }
  int notices_run_out_ = 0;
};

TEST_F(RestReminderTest, AConfirmedIntervalBringsTheNoticeBackAfterEveryInterval) {
  OpenWithTools();
  EXPECT_FALSE(Window().Timers().count(kRestTimer));
  scripts_.Add(IDD_REST_REMINDER, [this](CDialog& dialog) {
    HeadlessWindow& window = WindowOf(dialog);
    EXPECT_EQ(window.ComboCount(IDC_REST_INTERVAL), 4);
    EXPECT_EQ(window.ComboText(IDC_REST_INTERVAL, 1), u"1 小时");
    EXPECT_EQ(window.ComboText(IDC_REST_INTERVAL, 2), u"2小时");
    EXPECT_EQ(window.ComboSelection(IDC_REST_INTERVAL), 0);
    EXPECT_FALSE(window.IsControlVisible(IDC_REST_PREVIEW));
    EXPECT_NE(ui_.ControlOf(dialog, IDC_REST_PICTURE)->image, nullptr) << "Images\\Time_Machine.png";
    ui_.SelectCombo(dialog, IDC_REST_INTERVAL, 2);
    EXPECT_TRUE(window.IsControlVisible(IDC_REST_PREVIEW));
    ui_.Click(dialog, kIdOk);
  });
  RunTrayCommand(ID_REST_REMINDER);
  EXPECT_EQ(ReadProfile(profile::kRestReminderTime), 2);
  EXPECT_EQ(TheSetup().RestReminderTime, 2);
  ASSERT_TRUE(Window().Timers().count(kRestTimer));
  EXPECT_EQ(Window().Timers()[kRestTimer].period_ms, 2 * kHourMs);

  ExpectNotice(u"您已经连续工作了 2 小时,请注意适当休息!\r\n站起来走走吧!");
  ASSERT_TRUE(ui_.FireTimer(*main_, kRestTimer));
  EXPECT_EQ(notices_run_out_, 1);
  // The label promises a reminder after every interval: the next one is armed.
  ASSERT_TRUE(Window().Timers().count(kRestTimer));
  EXPECT_EQ(Window().Timers()[kRestTimer].period_ms, 2 * kHourMs);
  ExpectNotice(u"您已经连续工作了 2 小时,请注意适当休息!\r\n站起来走走吧!");
  ASSERT_TRUE(ui_.FireTimer(*main_, kRestTimer));
  EXPECT_EQ(notices_run_out_, 2);

  // "关闭" stops what was pending.
  ChooseInterval(0);
  EXPECT_EQ(ReadProfile(profile::kRestReminderTime), 0);
  EXPECT_FALSE(Window().Timers().count(kRestTimer));
  EXPECT_TRUE(scripts_.AllRun());
}

TEST_F(RestReminderTest, TheIntervalSavedAtStartArmsTheReminderAndCancelWritesNothing) {
  WriteProfile(profile::kRestReminderTime, 1);
  OpenWithTools();  // the settings load here
  ASSERT_TRUE(Window().Timers().count(kRestTimer));
  EXPECT_EQ(Window().Timers()[kRestTimer].period_ms, kHourMs);
  scripts_.Add(IDD_REST_REMINDER, [this](CDialog& dialog) {
    EXPECT_EQ(WindowOf(dialog).ComboSelection(IDC_REST_INTERVAL), 1);
    EXPECT_TRUE(WindowOf(dialog).IsControlVisible(IDC_REST_PREVIEW));
    ui_.SelectCombo(dialog, IDC_REST_INTERVAL, 3);
    ui_.Click(dialog, kIdCancel);
  });
  RunTrayCommand(ID_REST_REMINDER);
  EXPECT_EQ(ReadProfile(profile::kRestReminderTime), 1);
  EXPECT_EQ(Window().Timers()[kRestTimer].period_ms, kHourMs);
}

TEST_F(RestReminderTest, ThePreviewShowsTheSelectedHoursAndADoubleClickClosesIt) {
  WriteProfile(profile::kRestReminderTime, 1);
  OpenWithTools();
  bool previewed = false;
  scripts_.Add(IDD_REST_REMINDER, [this](CDialog& dialog) {
    ui_.SelectCombo(dialog, IDC_REST_INTERVAL, 3);
    ASSERT_TRUE(ui_.Click(dialog, IDC_REST_PREVIEW));
  });
  scripts_.Add(IDD_NEED_REST, [&](CDialog& notice) {
    EXPECT_EQ(WindowOf(notice).Text(IDC_REST_MESSAGE), u"您已经连续工作了 3 小时,请注意适当休息!\r\n站起来走走吧!");
    ui_.FireTimer(notice, CNeedRestDlg::kCountdownTimer);
    ASSERT_TRUE(ui_.DoubleClick(notice));
    EXPECT_TRUE(WindowOf(notice).IsEnded()) << "a double click closes it before the count ends";
    previewed = true;
  });
  RunTrayCommand(ID_REST_REMINDER);
  EXPECT_TRUE(previewed);
  EXPECT_EQ(ReadProfile(profile::kRestReminderTime), 1) << "a preview saves nothing";
}

}  // namespace
