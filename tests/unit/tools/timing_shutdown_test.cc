// The timed shutdown: the clock arithmetic, and the window from the tray's command with a
// fake clock and a shutdown that only records.
#include <gtest/gtest.h>

#include "base/text_format.h"
#include "tools/shutdown_time.h"
#include "tools/timing_shutdown_dlg.h"
#include "tools_fixture.h"

namespace {

TEST(ShutdownTimeTest, TheTargetIsTheNextSuchClockTimeCountedInMinutesOfTheDay) {
  struct Case {
    int hour, minute, second;  // now, local
    ClockTime target;
    int minutes;
    int64_t seconds;
  } cases[] = {
      {10, 30, 20, {11, 30}, 60, 3580},
      {10, 50, 0, {11, 10}, 20, 1200},
      {23, 0, 0, {0, 0}, 60, 3600},        // midnight
      {10, 30, 0, {10, 29}, 1439, 86340},  // the next day
      {0, 30, 0, {0, 40}, 10, 600},        // after midnight: not a day and ten minutes
      {0, 0, 0, {23, 59}, 1439, 86340},
      {12, 0, 30, {12, 0}, 0, -30},        // this very minute: nothing left
  };
  for (const Case& c : cases) {
    int64_t local = 20000 * 86400LL + c.hour * 3600 + c.minute * 60 + c.second;
    TimeUntil until = TimeUntilClockTime(c.target, local);
    EXPECT_EQ(until.minutes, c.minutes) << c.hour << ":" << c.minute << " to " << c.target.hour << ":" << c.target.minute;
    EXPECT_EQ(until.seconds, c.seconds) << c.hour << ":" << c.minute << " to " << c.target.hour << ":" << c.target.minute;
  }
}

TEST(ShutdownTimeTest, FieldsWrapAroundAtBothEnds) {
  EXPECT_EQ(WrapClockTime({24, 60}), (ClockTime{0, 0}));
  EXPECT_EQ(WrapClockTime({-1, -1}), (ClockTime{23, 59}));
  EXPECT_EQ(WrapClockTime({23, 59}), (ClockTime{23, 59}));
  EXPECT_EQ(WrapClockTime({0, 0}), (ClockTime{0, 0}));
  EXPECT_EQ(CountdownText(3580), u"00 : 59 : 40");
  EXPECT_EQ(CountdownText(86340), u"23 : 59 : 00");
  EXPECT_EQ(CountdownText(-5), u"00 : 00 : 00");
}

class TimingShutdownTest : public ToolsTest {
 protected:
  CTimingShutDownDlg& OpenShutdown() {
    RunTrayCommand(ID_TIMED_SHUTDOWN);
    CTimingShutDownDlg* dialog = tools_.TimedShutdown();
    EXPECT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->IsOpen());
    return *dialog;
  }
  void SetFields(CDialog& dialog, int hour, int minute) {
    HeadlessWindow& window = WindowOf(dialog);
    ui_.Type(dialog, IDC_SHUTDOWN_HOUR, std::u16string(window.Text(IDC_SHUTDOWN_HOUR).size(), u'\b') + Decimal(hour));
    ui_.Type(dialog, IDC_SHUTDOWN_MINUTE,
             std::u16string(window.Text(IDC_SHUTDOWN_MINUTE).size(), u'\b') + Decimal(minute));
  }
  void Tick(CDialog& dialog, int seconds = 1) {
    for (int i = 0; i < seconds; ++i) {
      clock_.Advance(1000);
      ASSERT_TRUE(ui_.FireTimer(dialog, CTimingShutDownDlg::kCountdownTimer));
    }
  }
};

TEST_F(TimingShutdownTest, CountsDownToTheChosenTimeAndAsksForAnOrdinaryShutdown) {
  clock_.SetUtcOffset(8 * 3600);
  clock_.SetLocalTimeOfDay(10, 30, 20);
  OpenWithTools();
  CTimingShutDownDlg& dialog = OpenShutdown();
  HeadlessWindow& window = WindowOf(dialog);
  EXPECT_TRUE(window.IsVisible());
  EXPECT_TRUE(window.IsTopMost());
  EXPECT_EQ(window.Text(IDC_SHUTDOWN_HOUR), u"11") << "an hour from now";
  EXPECT_EQ(window.Text(IDC_SHUTDOWN_MINUTE), u"30");
  EXPECT_EQ(window.Text(IDC_SHUTDOWN_STATUS), u"距离关机还有: 1 小时 0 分");
  EXPECT_FALSE(window.IsControlVisible(IDC_SHUTDOWN_LABEL));

  ASSERT_TRUE(ui_.Click(dialog, kIdOk));
  EXPECT_TRUE(dialog.IsCounting());
  EXPECT_EQ(window.Text(kIdOk), u"隐藏");
  EXPECT_EQ(window.Text(IDC_SHUTDOWN_CLOSE), u"取消");
  EXPECT_EQ(window.Text(IDC_SHUTDOWN_STATUS), u"关机时间: 11 时 30 分");
  EXPECT_TRUE(window.IsControlVisible(IDC_SHUTDOWN_LABEL));
  EXPECT_FALSE(window.IsControlVisible(IDC_SHUTDOWN_HOUR));
  EXPECT_FALSE(window.IsControlVisible(IDC_SHUTDOWN_MINUTE_SPIN));
  EXPECT_EQ(ui_.ControlOf(dialog, IDC_SHUTDOWN_STATUS)->text_color, HeadlessUi::kGrayText);
  ASSERT_TRUE(window.Painted().has_value());
  EXPECT_EQ(window.Painted()->text, u"00 : 59 : 40");
  EXPECT_EQ(window.Painted()->color, CTimingShutDownDlg::kCountdownColour);
  EXPECT_EQ(window.Painted()->font, (FontStyle{u"微软雅黑", 36, 400}));
  EXPECT_EQ(window.Painted()->area.top, CTimingShutDownDlg::kPaintMargin);
  EXPECT_EQ(window.Painted()->area.bottom, window.ClientSize().height - CTimingShutDownDlg::kPaintMargin);

  Tick(dialog);
  EXPECT_EQ(window.Painted()->text, u"00 : 59 : 39");
  // "隐藏" hides; the count goes on and the window comes back for the last 30 seconds.
  ASSERT_TRUE(ui_.Click(dialog, kIdOk));
  EXPECT_FALSE(window.IsVisible());
  clock_.Advance((3579 - 31) * 1000ull);
  Tick(dialog);
  EXPECT_EQ(window.Painted()->text, u"00 : 00 : 30");
  EXPECT_FALSE(window.IsVisible());
  Tick(dialog);
  EXPECT_TRUE(window.IsVisible()) << "fewer than 30 seconds left";
  Tick(dialog, 28);
  EXPECT_EQ(shutdown_.requested, 0);
  Tick(dialog);
  EXPECT_EQ(window.Painted()->text, u"00 : 00 : 00");
  EXPECT_EQ(shutdown_.requested, 1);
  EXPECT_EQ(shutdown_.forced, 0) << "an ordinary shutdown: programs may still save their work";
  EXPECT_FALSE(window.Timers().count(CTimingShutDownDlg::kCountdownTimer));
}

TEST_F(TimingShutdownTest, TheCountStaysRightWhenTheMachineSleepsThroughIt) {
  clock_.SetLocalTimeOfDay(22, 0, 0);
  OpenWithTools();
  CTimingShutDownDlg& dialog = OpenShutdown();
  SetFields(dialog, 22, 10);
  ASSERT_TRUE(ui_.Click(dialog, kIdOk));
  EXPECT_EQ(dialog.RemainingSeconds(), 600);
  Tick(dialog);
  // Asleep for nine minutes: no timer fires meanwhile.
  clock_.Advance(9 * 60 * 1000);
  Tick(dialog);
  EXPECT_EQ(WindowOf(dialog).Painted()->text, u"00 : 00 : 58");
  clock_.Advance(3600 * 1000);  // slept past the moment
  Tick(dialog);
  EXPECT_EQ(shutdown_.requested, 1);
}

TEST_F(TimingShutdownTest, FieldsWrapAndATimeTooCloseIsRefused) {
  clock_.SetLocalTimeOfDay(0, 30, 0);
  OpenWithTools();
  CTimingShutDownDlg& dialog = OpenShutdown();
  HeadlessWindow& window = WindowOf(dialog);
  EXPECT_EQ(ui_.ControlOf(dialog, IDC_SHUTDOWN_HOUR_SPIN)->range_min, -1);
  EXPECT_EQ(ui_.ControlOf(dialog, IDC_SHUTDOWN_HOUR_SPIN)->range_max, 24);
  EXPECT_EQ(ui_.ControlOf(dialog, IDC_SHUTDOWN_MINUTE_SPIN)->range_max, 60);

  SetFields(dialog, 24, 60);  // one step above the top of both spin controls
  EXPECT_EQ(window.Text(IDC_SHUTDOWN_HOUR), u"0") << "24 wraps to 0 and stays there";
  EXPECT_EQ(window.Text(IDC_SHUTDOWN_MINUTE), u"0");
  EXPECT_EQ(window.Position(IDC_SHUTDOWN_HOUR_SPIN), 0);
  EXPECT_EQ(window.Text(IDC_SHUTDOWN_STATUS), u"距离关机还有: 23 小时 30 分");
  ui_.Type(dialog, IDC_SHUTDOWN_HOUR, u"\b-1");
  EXPECT_EQ(window.Text(IDC_SHUTDOWN_HOUR), u"23");

  SetFields(dialog, 0, 40);
  EXPECT_EQ(window.Text(IDC_SHUTDOWN_STATUS), u"距离关机还有: 0 小时 10 分") << "ten minutes, not a day and ten";

  SetFields(dialog, 0, 30);  // now
  ui_.on_message_box = [](const MessageBoxRequest&) { return kIdOk; };
  ASSERT_TRUE(ui_.Click(dialog, kIdOk));
  ASSERT_EQ(ui_.message_boxes.size(), 1u);
  EXPECT_EQ(ui_.message_boxes[0].text, u"设定的时间太短了!");
  EXPECT_EQ(ui_.message_boxes[0].caption, u"提示");
  EXPECT_EQ(ui_.message_boxes[0].icon, MessageIcon::kInformation);
  EXPECT_FALSE(dialog.IsCounting());
}

TEST_F(TimingShutdownTest, CancelReturnsTheFieldsAndALaterStartUsesTheTimeThen) {
  clock_.SetLocalTimeOfDay(9, 0, 0);
  OpenWithTools();
  CTimingShutDownDlg& dialog = OpenShutdown();
  HeadlessWindow& window = WindowOf(dialog);
  ASSERT_TRUE(ui_.Click(dialog, kIdOk));
  ASSERT_TRUE(ui_.Click(dialog, IDC_SHUTDOWN_CLOSE));  // "取消"
  EXPECT_FALSE(dialog.IsCounting());
  EXPECT_EQ(window.Text(kIdOk), u"开始");
  EXPECT_EQ(window.Text(IDC_SHUTDOWN_CLOSE), u"关闭");
  EXPECT_TRUE(window.IsControlVisible(IDC_SHUTDOWN_HOUR));
  EXPECT_FALSE(window.IsControlVisible(IDC_SHUTDOWN_LABEL));
  EXPECT_FALSE(window.Painted().has_value());
  EXPECT_EQ(window.FocusedControl(), IDC_SHUTDOWN_HOUR);
  EXPECT_FALSE(window.Timers().count(CTimingShutDownDlg::kCountdownTimer));

  clock_.Advance(30 * 60 * 1000);
  ASSERT_TRUE(ui_.Click(dialog, kIdOk));
  EXPECT_EQ(dialog.RemainingSeconds(), 30 * 60);

  // "关闭" while idle hides the window; a second command shows the same one.
  ASSERT_TRUE(ui_.Click(dialog, IDC_SHUTDOWN_CLOSE));  // "取消"
  ASSERT_TRUE(ui_.Click(dialog, IDC_SHUTDOWN_CLOSE));  // "关闭"
  EXPECT_FALSE(window.IsVisible());
  RunTrayCommand(ID_LOCKED_TIMED_SHUTDOWN);
  EXPECT_EQ(tools_.TimedShutdown(), &dialog);
  EXPECT_TRUE(window.IsVisible());
  EXPECT_EQ(ui_.OpenDialogs(IDD_TIMING_SHUTDOWN).size(), 1u);
}

TEST_F(TimingShutdownTest, ARefusedShutdownLeavesTheWindowAtZeroWithItsTimerStopped) {
  clock_.SetLocalTimeOfDay(9, 0, 0);
  shutdown_.answer = false;
  OpenWithTools();
  CTimingShutDownDlg& dialog = OpenShutdown();
  SetFields(dialog, 9, 2);
  ASSERT_TRUE(ui_.Click(dialog, kIdOk));
  clock_.Advance(119 * 1000);
  Tick(dialog);
  EXPECT_EQ(shutdown_.requested, 1);
  EXPECT_EQ(WindowOf(dialog).Painted()->text, u"00 : 00 : 00");
  EXPECT_FALSE(WindowOf(dialog).Timers().count(CTimingShutDownDlg::kCountdownTimer));
}

}  // namespace
