// The smart-monitoring page and the learned-sites dialog, driven by control number on the
// real templates (headless backend).
#include "settings_ui/intelligent_dlg.h"

#include <gtest/gtest.h>

#include "data_files.h"
#include "file_text.h"
#include "settings_centre_fixture.h"
#include "settings_ui/intell_web_dlg.h"

namespace {

class IntelligentPageTest : public SettingsCentreTest {
 protected:
  CSettingsPage& Page() { return OpenPage(CSetDlg::kIntelligentTab); }
  HeadlessWindow& PageWindow() { return *ui_.WindowOf(Page()); }
  void TearDown() override {
    TheSetup().JieSeActive = false;
    SettingsCentreTest::TearDown();
  }
};

TEST_F(IntelligentPageTest, TheSliderWritesEachPositionAtOnceAndShowsItsText) {
  CSettingsPage& page = Page();
  EXPECT_EQ(PageWindow().Position(IDC_INTELL_SLIDER), 2) << "the default: loose";
  EXPECT_EQ(PageWindow().Text(IDC_INTELL_DESCRIPTION), u"【宽松】\n\n适合日常使用，会有部分不良网站遗漏掉");
  EXPECT_EQ(PageWindow().Check(IDC_INTELL_TIP), CheckState::kChecked);
  const struct {
    int position;
    const char16_t* text;
  } positions[] = {{0, u"【严格】\n\n推荐使用，可能会有误过滤"},
                   {1, u"【适中】\n\n推荐使用，可以过滤大部分不良网站"},
                   {3, u"关闭智能监控"},
                   {2, u"【宽松】\n\n适合日常使用，会有部分不良网站遗漏掉"}};
  for (const auto& p : positions) {
    ASSERT_TRUE(ui_.MoveSlider(page, IDC_INTELL_SLIDER, p.position));
    EXPECT_EQ(ReadProfile(profile::kIntelligentMonitor), p.position);
    EXPECT_EQ(PageWindow().Text(IDC_INTELL_DESCRIPTION), p.text);
  }
  EXPECT_TRUE(MessageTexts().empty());

  ui_.Click(page, IDC_INTELL_TIP);
  EXPECT_EQ(ReadProfile(profile::kIntelligentMonitorTip), 0);

  // Set elsewhere meanwhile: the page reads both again when shown.
  WriteProfile(profile::kIntelligentMonitor, 0);
  WriteProfile(profile::kIntelligentMonitorTip, 1);
  ui_.SelectTab(*dialogs_.SettingsCentre(), IDC_SET_TAB, CSetDlg::kBasicTab);
  Page();
  EXPECT_EQ(PageWindow().Position(IDC_INTELL_SLIDER), 0);
  EXPECT_EQ(PageWindow().Text(IDC_INTELL_DESCRIPTION), u"【严格】\n\n推荐使用，可能会有误过滤");
  EXPECT_EQ(PageWindow().Check(IDC_INTELL_TIP), CheckState::kChecked);
}

TEST_F(IntelligentPageTest, TheForcedModeRefusesTheLoosePositionsAndTheManageButton) {
  WriteProfile(profile::kIntelligentMonitor, 1);
  TheSetup().JieSeActive = true;
  CSettingsPage& page = Page();
  EXPECT_FALSE(PageWindow().IsEnabled(IDC_INTELL_MANAGE));
  for (int position : {2, 3}) {
    ASSERT_TRUE(ui_.MoveSlider(page, IDC_INTELL_SLIDER, position));
    EXPECT_EQ(PageWindow().Position(IDC_INTELL_SLIDER), 1) << position;
    EXPECT_EQ(ReadProfile(profile::kIntelligentMonitor), 1);
    EXPECT_EQ(PageWindow().Text(IDC_INTELL_DESCRIPTION), u"【适中】\n\n推荐使用，可以过滤大部分不良网站");
    EXPECT_EQ(MessageTexts(), std::vector<std::u16string>{u"当前模式下禁止该操作!"});
  }
  ui_.MoveSlider(page, IDC_INTELL_SLIDER, 0);
  EXPECT_EQ(ReadProfile(profile::kIntelligentMonitor), 0) << "stricter is allowed";
  EXPECT_TRUE(MessageTexts().empty());
}

// Releasing and forgetting learned sites, and the proxy's reload once the dialog closes.
TEST_F(IntelligentPageTest, TheLearnedSitesDialogReleasesAndDeletesSites) {
  WriteListFile("Data\\IntelligentDomain.txt", {"b.test", "a.test", "c.test"}, false);
  WriteListFile("Data\\IntelligentWhiteDomain.txt", {"old.test"}, false);
  main_->Proxy()->Config().LoadSmartMonitoring();
  WriteProfile(profile::kIntelligentMonitor, 1);
  ASSERT_EQ(main_->Proxy()->Config().Judge("http://a.test/", SplitUrl("http://a.test/"), "").verdict, RequestVerdict::kBlockPage);

  CSettingsPage& page = Page();
  bool shown = false;
  ui_.on_modal = [&](CDialog& dialog) {
    shown = true;
    HeadlessWindow& sites = *ui_.WindowOf(dialog);
    EXPECT_EQ(sites.Title(), u"智能过滤网址");
    EXPECT_EQ(sites.Find(IDC_INTELL_LEARNED)->tool_tip, u"双击取消智能拦截");
    EXPECT_EQ(sites.Find(IDC_INTELL_RELEASED)->tool_tip, u"双击删除该记录");
    EXPECT_EQ(sites.ListBoxCount(IDC_INTELL_LEARNED), 3);
    EXPECT_EQ(sites.ListBoxText(IDC_INTELL_LEARNED, 0), u"a.test") << "in list order (sorted)";
    EXPECT_TRUE(ui_.DoubleClickListBox(dialog, IDC_INTELL_LEARNED, -1)) << "nothing selected: nothing happens";
    EXPECT_EQ(sites.ListBoxCount(IDC_INTELL_LEARNED), 3);

    ui_.DoubleClickListBox(dialog, IDC_INTELL_LEARNED, 0);
    EXPECT_EQ(sites.ListBoxCount(IDC_INTELL_LEARNED), 2);
    EXPECT_EQ(sites.ListBoxText(IDC_INTELL_RELEASED, 0), u"a.test") << "at the top of the released sites";
    EXPECT_EQ(FileText("Data/IntelligentDomain.txt"), "b.test\r\nc.test\r\n");
    EXPECT_EQ(FileText("Data/IntelligentWhiteDomain.txt"), "a.test\r\nold.test\r\n");

    ui_.DoubleClickListBox(dialog, IDC_INTELL_RELEASED, 1);
    EXPECT_EQ(sites.ListBoxCount(IDC_INTELL_RELEASED), 1);
    EXPECT_EQ(FileText("Data/IntelligentWhiteDomain.txt"), "a.test\r\n");
    return kIdCancel;
  };
  ASSERT_TRUE(ui_.Click(page, IDC_INTELL_MANAGE));
  EXPECT_TRUE(shown);
  EXPECT_EQ(main_->Proxy()->Config().Judge("http://a.test/", SplitUrl("http://a.test/"), "").verdict,
            RequestVerdict::kPassFiltered)
      << "the proxy has loaded the lists again";
  EXPECT_EQ(main_->Proxy()->Config().Judge("http://b.test/", SplitUrl("http://b.test/"), "").verdict, RequestVerdict::kBlockPage);
}

}  // namespace
