// The share window from the main window's share picture, and the statistics window that
// the main window makes at start.
#include <gtest/gtest.h>

#include "core/web_addresses.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "tools/local_page.h"
#include "tools/share_to_dlg.h"
#include "tools/statistics_dlg.h"
#include "tools_fixture.h"

namespace {

class ShareAndStatisticsTest : public ToolsTest {
 protected:
  std::u16string Output() { return LocalToWide(FileSystem::Current().ReadAll(CShareToDlg::kOutputPath).value_or("")); }
  void RunShare() {
    scripts_.Add(IDD_SHARE_TO, [this](CDialog& dialog) {
      HeadlessBrowserPane* pane = ui_.BrowserOf(dialog, IDC_EXPLORER);
      ASSERT_NE(pane, nullptr);
      EXPECT_EQ(pane->navigations, (std::vector<std::u16string>{u"about:blank", LocalPageAddress(u"Data\\shareto1.html")}));
      Size client = WindowOf(dialog).ClientSize();
      EXPECT_EQ(WindowOf(dialog).ControlRect(IDC_EXPLORER), (Rect{0, 0, client.width, client.height}));
      EXPECT_TRUE(ui_.ControlOf(dialog, IDC_EXPLORER)->browser_events->OnNewWindow(u"http://share.example/"));
    });
    ASSERT_TRUE(ui_.Click(*main_, IDC_SHARE_ICON));
  }
};

TEST_F(ShareAndStatisticsTest, TheSharePageCarriesTheCountOfTheMomentWhereverItsPlaceholdersWere) {
  FileSystem::Current().Replace("Data\\shareto.html",
                                WideToLocal(u"<title>ShareTitle</title><p>ShareContent</p><i>ShareContent</i>"));
  OpenWithTools();
  TheSetup().FilterCount = 1234;
  RunShare();
  std::u16string recommendation = ShareRecommendation(1234);
  EXPECT_NE(recommendation.find(u"已经帮我的网络屏蔽了 1234 条不良信息"), std::u16string::npos);
  EXPECT_TRUE(recommendation.ends_with(web_addresses::kDownloadPage));
  EXPECT_EQ(Output(), u"<title>" + recommendation + u"</title><p>" + recommendation + u"</p><i>" + recommendation + u"</i>");
  EXPECT_EQ(shell_.opened.back(), u"http://share.example/");

  TheSetup().FilterCount = 1300;
  RunShare();
  EXPECT_NE(Output().find(u"屏蔽了 1300 条"), std::u16string::npos) << "rewritten at every opening";
  EXPECT_TRUE(scripts_.AllRun());
}

TEST_F(ShareAndStatisticsTest, WithoutTheInputPageTheShareWindowShowsAnEmptyPage) {
  OpenWithTools();
  RunShare();
  EXPECT_TRUE(FileSystem::Current().Exists(CShareToDlg::kOutputPath));
  EXPECT_EQ(Output(), u"");
}

TEST_F(ShareAndStatisticsTest, TheStatisticsWindowLoadsItsPageHiddenAndClosesItselfOnceAfterSixSeconds) {
  OpenWithTools();
  CStatisticsDlg* statistics = tools_.Statistics();
  ASSERT_NE(statistics, nullptr);
  ASSERT_TRUE(statistics->IsOpen());
  HeadlessWindow& window = WindowOf(*statistics);
  EXPECT_FALSE(window.IsVisible());
  EXPECT_EQ(window.Timers()[CStatisticsDlg::kCloseTimer].period_ms, 6000u);
  HeadlessBrowserPane* pane = ui_.BrowserOf(*statistics, IDC_EXPLORER);
  ASSERT_NE(pane, nullptr);
  EXPECT_EQ(pane->navigations, std::vector<std::u16string>{std::u16string(web_addresses::kStatisticsPage)});
  ui_.ControlOf(*statistics, IDC_EXPLORER)->browser_events->OnNavigateComplete(web_addresses::kStatisticsPage);
  EXPECT_EQ(pane->handler_installs, 0) << "no document callbacks";

  ASSERT_TRUE(ui_.FireTimer(*statistics, CStatisticsDlg::kCloseTimer));
  EXPECT_FALSE(statistics->IsOpen());
  EXPECT_TRUE(ui_.OpenDialogs(IDD_STATISTICS).empty());
  // The teardown frees the window's object once and destroys no window again.
  main_->Teardown();
  EXPECT_EQ(tools_.Statistics(), nullptr);
}

}  // namespace
