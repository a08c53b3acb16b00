// The health calendar from the main window's start timer and the tray's command.
#include <gtest/gtest.h>

#include "config/profile_values.h"
#include "core/web_addresses.h"
#include "tools/calendar_dlg.h"
#include "tools_fixture.h"

namespace {

constexpr int kCalendarTimer = 4;

class CalendarTest : public ToolsTest {};

TEST_F(CalendarTest, OpensThreeMinutesAfterStartInTheCornerOfTheWorkAreaAndHidesAfterThirtySeconds) {
  WriteProfile(profile::kSKCalendarEnabled, 1);
  OpenWithTools();
  ASSERT_TRUE(Window().Timers().count(kCalendarTimer));
  EXPECT_EQ(Window().Timers()[kCalendarTimer].period_ms, 180000u);
  ASSERT_TRUE(ui_.FireTimer(*main_, kCalendarTimer));
  EXPECT_FALSE(Window().Timers().count(kCalendarTimer)) << "once";

  CCalendarDlg* calendar = tools_.Calendar();
  ASSERT_NE(calendar, nullptr);
  HeadlessWindow& window = WindowOf(*calendar);
  EXPECT_TRUE(window.IsVisible());
  EXPECT_TRUE(window.IsTopMost());
  EXPECT_EQ(window.Title(), u"寿康日历");
  EXPECT_EQ(window.Look().background, CCalendarDlg::kBackground);
  // The task bar takes the bottom 40 pixels of the headless screen: the window sits on it.
  EXPECT_EQ(window.WindowRect(), (Rect{1280 - 313, 860 - 360, 1280, 860}));
  EXPECT_EQ(window.Animations().back(), std::make_pair(ShowAnimation::kSlideFromBottom, 300));
  EXPECT_EQ(ui_.SurfaceOf(*calendar, IDC_CALENDAR_CLOSE)->Bounds(), Rect::At(313 - 26, 0, 26, 26));
  EXPECT_EQ(ui_.SurfaceOf(*calendar, IDC_CALENDAR_MENU)->Bounds(), Rect::At(313 - 52, 0, 26, 26));
  EXPECT_EQ(ui_.SurfaceOf(*calendar, IDC_CALENDAR_CLOSE)->tool_tip, u"关闭");
  EXPECT_EQ(ui_.SurfaceOf(*calendar, IDC_CALENDAR_MENU)->tool_tip, u"菜单");
  // The pane fills the client area below the band, no more.
  EXPECT_EQ(window.ControlRect(IDC_EXPLORER), (Rect{0, CCalendarDlg::kBarHeight, 313, 360}));
  HeadlessBrowserPane* pane = ui_.BrowserOf(*calendar, IDC_EXPLORER);
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->navigations, (std::vector<std::u16string>{u"about:blank", std::u16string(web_addresses::kCalendarPage)}));
  ui_.ControlOf(*calendar, IDC_EXPLORER)->browser_events->OnNavigateComplete(web_addresses::kCalendarPage);
  EXPECT_EQ(pane->handler_installs, 1);
  EXPECT_TRUE(ui_.ControlOf(*calendar, IDC_EXPLORER)->browser_events->OnNewWindow(u"http://a.example/"));
  EXPECT_EQ(shell_.opened.back(), u"http://a.example/") << "new windows go to the default browser";

  ASSERT_TRUE(ui_.FireTimer(*calendar, CCalendarDlg::kHideTimer));
  EXPECT_FALSE(window.IsVisible());
  EXPECT_EQ(window.HideAnimations().back(), std::make_pair(HideAnimation::kSlideDown, 200));
  EXPECT_FALSE(window.Timers().count(CCalendarDlg::kHideTimer));

  // The tray's command shows the same window; it stays until closed.
  RunTrayCommand(ID_HEALTH_CALENDAR);
  EXPECT_EQ(tools_.Calendar(), calendar);
  EXPECT_EQ(ui_.OpenDialogs(IDD_CALENDAR).size(), 1u);
  EXPECT_TRUE(window.IsVisible());
  EXPECT_TRUE(window.Timers().empty());
  ASSERT_TRUE(ui_.Click(*calendar, IDC_CALENDAR_CLOSE));
  EXPECT_FALSE(window.IsVisible());
}

TEST_F(CalendarTest, WithoutTheSettingItOpensOnlyFromTheTrayAndItsMenuSwitchesTheSetting) {
  OpenWithTools();
  EXPECT_FALSE(Window().Timers().count(kCalendarTimer));
  EXPECT_EQ(tools_.Calendar(), nullptr);
  RunTrayCommand(ID_HEALTH_CALENDAR);
  CCalendarDlg* calendar = tools_.Calendar();
  ASSERT_NE(calendar, nullptr);

  std::vector<bool> checked;
  ui_.on_menu = [&](const MenuModel& menu) {
    checked.push_back(menu.Find(ID_CALENDAR_NO_REMINDER)->checked);
    EXPECT_EQ(menu.Find(ID_CALENDAR_NO_REMINDER)->text, u"不再提醒");
    return ID_CALENDAR_NO_REMINDER;
  };
  ASSERT_TRUE(ui_.Click(*calendar, IDC_CALENDAR_MENU));
  EXPECT_EQ(ReadProfile(profile::kSKCalendarEnabled), 1);
  ASSERT_TRUE(ui_.Click(*calendar, IDC_CALENDAR_MENU));
  EXPECT_EQ(ReadProfile(profile::kSKCalendarEnabled), 0);
  EXPECT_EQ(checked, (std::vector<bool>{true, false}));
}

}  // namespace
