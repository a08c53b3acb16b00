// The filter page on the headless backend, from its template: every control against the
// profile, the caches and www\param.js.
#include "settings_ui/filter_dlg.h"

#include <gtest/gtest.h>

#include "config/profile_values.h"
#include "config/settings.h"
#include "data_files.h"
#include "file_text.h"
#include "headless_dialog_fixture.h"
#include "recording_system_integration.h"
#include "resource.h"
#include "rules/list_files.h"
#include "rules/text_list.h"
#include "settings_centre_fixture.h"

namespace {

class FilterDlgTest : public HeadlessDialogTest {
 protected:
  FilterDlgTest() {
    std::filesystem::create_directories(folder_.path() / "www");
    TheSetup().LoadSetup();
    TheSetup().onlyWhiteListRead = false;
  }
  ~FilterDlgTest() override {
    TheSetup().loaded = false;
    TheSetup().NonePicture = 0;
    TheSetup().onlyWhiteListRead = false;
  }
  CFilterDlg& Open() {
    EXPECT_TRUE(page_.Create());
    page_.ShowPage();
    return page_;
  }
  HeadlessWindow& Window() { return *ui_.WindowOf(page_); }

  RecordingSystemIntegration system_;
  ScopedSeam<SystemIntegration> system_seam_{system_};
  CMyList image_list_{list_files::kURLList};
  CFilterDlg page_{image_list_};
};

TEST_F(FilterDlgTest, ShowsTheSettingsWithTheirDefaultsAndTips) {
  Open();
  HeadlessWindow& window = Window();
  struct Box {
    int id;
    CheckState state;
  } boxes[] = {{IDC_NONE_PICTURE, CheckState::kUnchecked},    {IDC_ONLY_WHITE_LIST, CheckState::kUnchecked},
               {IDC_ENABLE_HTTP, CheckState::kChecked},       {IDC_ENABLE_HTTPS, CheckState::kChecked},
               {IDC_POWERFUL_FILTERING, CheckState::kChecked}, {IDC_FILTER_AD, CheckState::kUnchecked},
               {IDC_FILTER_ADDRESS, CheckState::kChecked},    {IDC_AUTO_CLEAR_CACHE, CheckState::kUnchecked},
               {IDC_WEB_CONTROL, CheckState::kChecked},       {IDC_MANUAL_FILTER_IMAGE, CheckState::kChecked},
               {IDC_SAFE_SEARCH, CheckState::kChecked}};
  for (const Box& box : boxes) EXPECT_EQ(window.Check(box.id), box.state) << box.id;
  EXPECT_FALSE(window.IsEnabled(IDC_ENABLE_HTTP)) << "only with 屏蔽所有网站";
  EXPECT_FALSE(window.IsEnabled(IDC_ENABLE_HTTPS));
  EXPECT_EQ(window.Text(IDC_NONE_PICTURE_MODE), u"");
  EXPECT_EQ(ui_.ControlOf(page_, IDC_POWERFUL_FILTERING)->tool_tip, u"增强过滤内容,误杀率也会增加");
  EXPECT_EQ(ui_.ControlOf(page_, IDC_RESET_IMAGE_LIST)->tool_tip, u"清空已经屏蔽的图片列表");
  EXPECT_EQ(ui_.ControlOf(page_, IDC_ENABLE_HTTPS)->tool_tip, u"屏蔽所有 HTTPS 开头的网站");
}

TEST_F(FilterDlgTest, ThePictureModeStepsThroughItsThreeStatesAndSaveWritesThem) {
  Open();
  struct Step {
    std::u16string text;
    int saved;
    std::string script_line;
  } steps[] = {{u"所有网站均不显示图片", 1, "kezo_data.no_img='1'"},
               {u"仅自定义网站列表不显示图片", 2, "kezo_data.no_img='2'"},
               {u"", 0, "kezo_data.no_img='0'"}};
  for (const Step& step : steps) {
    ui_.Click(page_, IDC_NONE_PICTURE);
    EXPECT_EQ(Window().Text(IDC_NONE_PICTURE_MODE), step.text);
    page_.HidePage();  // another tab was chosen
    page_.ShowPage();
    EXPECT_EQ(ReadProfile(profile::kNonePicture), step.saved);
    EXPECT_EQ(TheSetup().NonePicture, step.saved);
    EXPECT_NE(FileText("www/param.js").find(step.script_line), std::string::npos);
  }
}

TEST_F(FilterDlgTest, EverySwitchIsSavedWithItsCache) {
  Open();
  for (int id : {IDC_FILTER_ADDRESS, IDC_POWERFUL_FILTERING, IDC_FILTER_AD, IDC_AUTO_CLEAR_CACHE, IDC_WEB_CONTROL,
                 IDC_MANUAL_FILTER_IMAGE, IDC_SAFE_SEARCH}) {
    ASSERT_TRUE(ui_.Click(page_, id)) << id;
  }
  ui_.Click(page_, IDC_ONLY_WHITE_LIST);
  ui_.Click(page_, IDC_ENABLE_HTTPS);
  page_.Save();
  SetupRecord& setup = TheSetup();
  EXPECT_EQ(ReadProfile(profile::kFilterAddress), 0);
  EXPECT_EQ(setup.FilterAddress, 0);
  EXPECT_EQ(ReadProfile(profile::kPowerfullFiltering), 0);
  EXPECT_EQ(ReadProfile(profile::kFilterAD), 1);
  EXPECT_EQ(setup.FilterAD, 1);
  EXPECT_EQ(ReadProfile(profile::kAutoClearIECookies), 1);
  EXPECT_EQ(ReadProfile(profile::kWebControl), 0);
  EXPECT_EQ(setup.WebControl, 0);
  EXPECT_EQ(ReadProfile(profile::kManualFilterImage), 0);
  EXPECT_EQ(setup.ManualFilterImage, 0);
  EXPECT_EQ(ReadProfile(profile::kOnlyWhiteList), 1);
  EXPECT_EQ(setup.IsOnlyWhiteList(), 1) << "the read-once cache reads the new value";
  EXPECT_EQ(ReadProfile(profile::kEnableHTTP), 1);
  EXPECT_EQ(ReadProfile(profile::kEnableHTTPS), 0);
  EXPECT_EQ(setup.EnableHTTPS, 0);
  EXPECT_EQ(ReadProfile(profile::kSafeSearch), 0);
  EXPECT_EQ(setup.SafeSearch, 0) << "the proxy reads the cache";
  EXPECT_EQ(FileText("www/param.js"), "var kezo_data={}\r\nkezo_data.manual_nonepic='0'\r\nkezo_data.no_img='0'");
  EXPECT_TRUE(page_.KeywordsChanged());
  ui_.Click(page_, IDC_POWERFUL_FILTERING);
  EXPECT_TRUE(page_.KeywordsChanged()) << "never cleared, also when clicked back";
  setup.FilterAddress = 1;
  setup.WebControl = 1;
  setup.ManualFilterImage = 1;
  setup.EnableHTTPS = 1;
  setup.SafeSearch = 1;
}

TEST_F(FilterDlgTest, TheForcedModeKeepsSafeSearchOn) {
  SetupRecord& setup = TheSetup();
  struct Case {
    const char* what;
    int stored;
    bool forced_before_open;  // else the mode begins while the page is open
  } cases[] = {{"checked, forced mode from the start", 1, true},
               {"checked, forced mode begun since", 1, false},
               {"unchecked, forced mode from the start", 0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteProfile(profile::kSafeSearch, c.stored);
    setup.SafeSearch = c.stored;
    setup.JieSeActive = c.forced_before_open;
    CFilterDlg page(image_list_);
    ASSERT_TRUE(page.Create());
    page.ShowPage();
    HeadlessWindow& window = *ui_.WindowOf(page);
    setup.JieSeActive = true;
    if (c.stored != 0) {
      EXPECT_EQ(window.IsEnabled(IDC_SAFE_SEARCH), !c.forced_before_open);
      ui_.Click(page, IDC_SAFE_SEARCH);  // an attempt to turn it off
    } else {
      EXPECT_TRUE(window.IsEnabled(IDC_SAFE_SEARCH)) << "turning it on only strengthens the filter";
      ui_.Click(page, IDC_SAFE_SEARCH);
    }
    EXPECT_EQ(window.Check(IDC_SAFE_SEARCH), CheckState::kChecked);
    EXPECT_FALSE(window.IsEnabled(IDC_SAFE_SEARCH)) << "and once on it stays on";
    page.Save();
    EXPECT_EQ(ReadProfile(profile::kSafeSearch), 1);
    EXPECT_EQ(setup.SafeSearch, 1);
    page.DestroyWindow();
  }
  setup.JieSeActive = false;
}

TEST_F(FilterDlgTest, AnUncheckedSafeSearchBoxThatTheForcedModeFindsIsNotWrittenOverIt) {
  // The mode may begin between a click and the save; the save still keeps it on.
  Open();
  ui_.Click(page_, IDC_SAFE_SEARCH);
  TheSetup().JieSeActive = true;
  page_.Save();
  EXPECT_EQ(ReadProfile(profile::kSafeSearch), 1);
  EXPECT_EQ(TheSetup().SafeSearch, 1);
  TheSetup().JieSeActive = false;
}

TEST_F(FilterDlgTest, BlockingEverySiteWarnsOnceCheckedAndGovernsTheSchemeBoxes) {
  Open();
  ui_.Click(page_, IDC_ONLY_WHITE_LIST);
  ASSERT_EQ(ui_.message_boxes.size(), 1u);
  EXPECT_EQ(ui_.message_boxes[0].text, u"开启该功能后，除了手工添加的白名单之外将都无法访问！");
  EXPECT_TRUE(Window().IsEnabled(IDC_ENABLE_HTTP));
  EXPECT_TRUE(Window().IsEnabled(IDC_ENABLE_HTTPS));
  ui_.Click(page_, IDC_ONLY_WHITE_LIST);
  EXPECT_EQ(ui_.message_boxes.size(), 1u) << "no message when unchecked";
  EXPECT_FALSE(Window().IsEnabled(IDC_ENABLE_HTTP));
}

TEST_F(FilterDlgTest, ShowingThePageAgainTakesTheToolbarAndPictureCaches) {
  Open();
  page_.HidePage();
  TheSetup().WebControl = 0;  // the in-page toolbar's commands
  TheSetup().NonePicture = 2;
  page_.ShowPage();
  EXPECT_EQ(Window().Check(IDC_WEB_CONTROL), CheckState::kUnchecked);
  EXPECT_EQ(Window().Check(IDC_NONE_PICTURE), CheckState::kIndeterminate);
  EXPECT_EQ(Window().Text(IDC_NONE_PICTURE_MODE), u"仅自定义网站列表不显示图片");
  TheSetup().WebControl = 1;
}

TEST_F(FilterDlgTest, CleaningNowRunsTheCleanerAndResetEmptiesTheSharedPictureList) {
  Open();
  ui_.Click(page_, IDC_CLEAN_CACHE_NOW);
  EXPECT_EQ(system_.traces_cleaned, 1);
  EXPECT_EQ(Window().Text(IDC_CLEAN_CACHE_NOW), u"立即清理");
  EXPECT_TRUE(Window().IsEnabled(IDC_CLEAN_CACHE_NOW));

  image_list_.Add(u"http://a.example/1.jpg", true);
  image_list_.Add(u"http://b.example/2.jpg", true);
  ASSERT_EQ(image_list_.Count(), 2u);
  ui_.Click(page_, IDC_RESET_IMAGE_LIST);
  EXPECT_EQ(image_list_.Count(), 0u) << "the instance the proxy judges by";
  EXPECT_EQ(FileText("Data/URLList.txt"), "");
}

}  // namespace

namespace {

// The page in its tab of the settings centre: its switches reach the settings at the
// centre's close, 重置 empties the very list of the running proxy, and a click on
// 强力过滤 has the close rebuild the black filter.
class FilterPageInTheCentreTest : public SettingsCentreTest {};

TEST_F(FilterPageInTheCentreTest, TheFilterTabIsTheFilterPage) {
  std::filesystem::create_directories(folder_.path() / "www");
  WriteListFile("Data\\StrictWord.kezo", {"性感"}, true);
  main_->BlackFilter()->Rebuild();
  ASSERT_TRUE(main_->BlackFilter()->Match(u"性感图片"));
  lists_.urlList.Add(u"http://a.example/1.jpg", true);

  CSettingsPage& page = OpenPage(CSetDlg::kFilterTab);
  EXPECT_EQ(page.TemplateId(), IDD_FILTER);
  ASSERT_TRUE(ui_.Click(page, IDC_RESET_IMAGE_LIST));
  EXPECT_EQ(lists_.urlList.Count(), 0u);
  ASSERT_TRUE(ui_.Click(page, IDC_POWERFUL_FILTERING));
  ASSERT_TRUE(ui_.Click(page, IDC_NONE_PICTURE));
  EXPECT_EQ(ReadProfile(profile::kNonePicture), 0) << "written when the page saves";

  dialogs_.SettingsCentre()->Close();
  EXPECT_EQ(ReadProfile(profile::kNonePicture), 1);
  EXPECT_EQ(ReadProfile(profile::kPowerfullFiltering), 0);
  EXPECT_FALSE(main_->BlackFilter()->Match(u"性感图片")) << "the close rebuilt the black filter";
}

}  // namespace
