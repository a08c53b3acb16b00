// The first-run window and the about box on the headless backend, from their templates.
#include <gtest/gtest.h>

#include "config/profile_values.h"
#include "config/settings.h"
#include "fake_user_rights.h"
#include "file_text.h"
#include "headless_dialog_fixture.h"
#include "recording_system_integration.h"
#include "resource.h"
#include "settings_centre_fixture.h"
#include "settings_ui/about_dlg.h"
#include "settings_ui/welcome_dlg.h"

namespace {

constexpr int kChoiceBoxes[] = {IDC_WELCOME_AUTOSTART, IDC_WELCOME_CALENDAR,   IDC_WELCOME_JIESE_TIP,
                                IDC_WELCOME_XIUSHEN_TIP, IDC_NONE_PICTURE,     IDC_POWERFUL_FILTERING,
                                IDC_FILTER_AD,         IDC_WEB_CONTROL,        IDC_MANUAL_FILTER_IMAGE,
                                IDC_AUTO_CLEAR_CACHE};

class WelcomeAboutTest : public HeadlessDialogTest {
 protected:
  WelcomeAboutTest() {
    std::filesystem::create_directories(folder_.path() / "www");
    TheSetup().LoadSetup();
    TheSetup().jieSeTipStale = true;
    TheSetup().xiuShenTipStale = true;
  }
  ~WelcomeAboutTest() override {
    TheSetup().loaded = false;
    TheSetup().JieSeActive = false;
  }
  CWelcomeDlg& OpenWelcome() {
    welcome_ = std::make_unique<CWelcomeDlg>([this] { ++rebuilds_; }, [this] { ++elevated_restarts_; });
    EXPECT_TRUE(welcome_->Create());
    return *welcome_;
  }
  CheckState Box(int id) { return ui_.WindowOf(*welcome_)->Check(id); }

  RecordingSystemIntegration system_;
  ScopedSeam<SystemIntegration> system_seam_{system_};
  FakeUserRights rights_;
  ScopedSeam<UserRights> rights_seam_{rights_};
  std::unique_ptr<CWelcomeDlg> welcome_;
  int rebuilds_ = 0;
  int elevated_restarts_ = 0;
};

TEST_F(WelcomeAboutTest, TheWelcomeLooksAsItShouldAndOkWithTheDefaultsWritesThem) {
  CWelcomeDlg& welcome = OpenWelcome();
  HeadlessWindow& window = *ui_.WindowOf(welcome);
  EXPECT_TRUE(window.IsTopMost());
  EXPECT_EQ(window.Look().background, Rgb(64, 174, 49));
  EXPECT_EQ(window.Look().opacity, 240);
  EXPECT_TRUE(window.Look().drag_by_client_area);
  EXPECT_EQ(window.Animations().at(0), std::make_pair(ShowAnimation::kGrow, 200));
  EXPECT_EQ(Box(IDC_SELECT_ALL), CheckState::kIndeterminate);

  ASSERT_TRUE(ui_.Click(welcome, kIdOk));
  EXPECT_FALSE(welcome.IsOpen());
  EXPECT_EQ(system_.autostart, std::vector<bool>{true});
  EXPECT_EQ(ReadProfile(profile::kSKCalendarEnabled), 0);
  EXPECT_EQ(ReadProfile(profile::kJieSeTip), 0);
  EXPECT_EQ(ReadProfile(profile::kXiuShenTip), 1);
  EXPECT_TRUE(TheSetup().jieSeTipStale);
  EXPECT_EQ(ReadProfile(profile::kNonePicture), 0);
  EXPECT_EQ(ReadProfile(profile::kPowerfullFiltering), 1);
  EXPECT_EQ(ReadProfile(profile::kFilterAD), 0);
  EXPECT_EQ(ReadProfile(profile::kWebControl), 1);
  EXPECT_EQ(ReadProfile(profile::kManualFilterImage), 1);
  EXPECT_EQ(ReadProfile(profile::kAutoClearIECookies), 0);
  EXPECT_EQ(rebuilds_, 1) << "strong filtering is on";
  EXPECT_EQ(FileText("www/param.js"), "var kezo_data={}\r\nkezo_data.manual_nonepic='1'\r\nkezo_data.no_img='0'");
}

TEST_F(WelcomeAboutTest, SelectAllClearsThenChecksEveryBoxAndThenBringsBackTheChoices) {
  WriteProfile(profile::kSKCalendarEnabled, 1);
  TheSetup().NonePicture = 2;
  CWelcomeDlg& welcome = OpenWelcome();
  EXPECT_EQ(Box(IDC_WELCOME_CALENDAR), CheckState::kChecked);
  EXPECT_EQ(Box(IDC_NONE_PICTURE), CheckState::kIndeterminate);

  ui_.Click(welcome, IDC_SELECT_ALL);
  for (int id : kChoiceBoxes) EXPECT_EQ(Box(id), CheckState::kUnchecked) << id;
  ui_.Click(welcome, IDC_SELECT_ALL);
  for (int id : kChoiceBoxes) EXPECT_EQ(Box(id), CheckState::kChecked) << id;
  ui_.Click(welcome, IDC_SELECT_ALL);
  EXPECT_EQ(Box(IDC_SELECT_ALL), CheckState::kIndeterminate);
  EXPECT_EQ(Box(IDC_WELCOME_CALENDAR), CheckState::kChecked);
  EXPECT_EQ(Box(IDC_NONE_PICTURE), CheckState::kIndeterminate);
  EXPECT_EQ(Box(IDC_FILTER_AD), CheckState::kUnchecked);
  TheSetup().NonePicture = 0;
}

// The strict words leave the black filter only through a rebuild, so turning strong
// filtering off rebuilds as well; an unchanged "off" has nothing to rebuild.
TEST_F(WelcomeAboutTest, StrongFilteringRebuildsTheFiltersWheneverItTakesEffect) {
  struct Case {
    int before;
    bool checked;
    int rebuilds;
  } cases[] = {{1, true, 1}, {1, false, 1}, {0, true, 1}, {0, false, 0}};
  for (const Case& c : cases) {
    WriteProfile(profile::kPowerfullFiltering, c.before);
    rebuilds_ = 0;
    CWelcomeDlg& welcome = OpenWelcome();
    if (c.checked != (c.before != 0)) ui_.Click(welcome, IDC_POWERFUL_FILTERING);
    ui_.Click(welcome, kIdOk);
    EXPECT_EQ(ReadProfile(profile::kPowerfullFiltering), c.checked ? 1 : 0);
    EXPECT_EQ(rebuilds_, c.rebuilds) << c.before << " -> " << c.checked;
  }
}

TEST_F(WelcomeAboutTest, CancelWritesNothingAndTheForcedModeKeepsAutostartOn) {
  CWelcomeDlg& welcome = OpenWelcome();
  ui_.Click(welcome, IDC_SELECT_ALL);  // everything off
  ui_.SendSysCommand(welcome, SysCommand::kClose);
  EXPECT_FALSE(welcome.IsOpen());
  EXPECT_TRUE(system_.autostart.empty());
  EXPECT_FALSE(profile_.Has(profile::kPowerfullFiltering.section, profile::kPowerfullFiltering.name));

  TheSetup().JieSeActive = true;
  CWelcomeDlg& again = OpenWelcome();
  ui_.Click(again, IDC_WELCOME_AUTOSTART);
  EXPECT_EQ(Box(IDC_WELCOME_AUTOSTART), CheckState::kUnchecked);
  ui_.Click(again, kIdOk);
  EXPECT_EQ(system_.autostart, std::vector<bool>{true}) << "as on the basic page";
}

// As on the basic page: changing the system's entry needs administrator rights, and the
// forced mode keeps autostart on. Without the rights the other choices are applied all the
// same, and the program is asked to come back elevated.
TEST_F(WelcomeAboutTest, AutostartWithoutAdministratorRightsRestartsElevatedOnlyForAChange) {
  struct Case {
    bool entry_on;
    bool checked;
    bool forced;
    std::vector<bool> entry_calls;  // SetAutostart's calls, the one the entry began with included
    int restarts;
  } cases[] = {
      {false, true, false, {}, 1},        {true, false, false, {true}, 1},
      {true, true, false, {true}, 0},     {false, false, false, {}, 0},
      {false, false, true, {true}, 0},
  };
  rights_.administrator = false;
  for (const Case& c : cases) {
    system_.autostart = c.entry_on ? std::vector<bool>{true} : std::vector<bool>{};
    TheSetup().JieSeActive = c.forced;
    WriteProfile(profile::kSKCalendarEnabled, 0);
    elevated_restarts_ = 0;
    ui_.message_boxes.clear();
    CWelcomeDlg& welcome = OpenWelcome();
    if (!c.checked) ui_.Click(welcome, IDC_WELCOME_AUTOSTART);
    ui_.Click(welcome, IDC_WELCOME_CALENDAR);
    ui_.Click(welcome, kIdOk);
    std::string label = std::to_string(c.entry_on) + std::to_string(c.checked) + std::to_string(c.forced);
    EXPECT_FALSE(welcome.IsOpen()) << label;
    EXPECT_EQ(system_.autostart, c.entry_calls) << label;
    EXPECT_EQ(elevated_restarts_, c.restarts) << label;
    ASSERT_EQ(ui_.message_boxes.size(), static_cast<size_t>(c.restarts)) << label;
    if (c.restarts != 0) {
      EXPECT_EQ(ui_.message_boxes[0].text, u"权限不够!\n程序将重新启动并以管理员身份运行.");
    }
    EXPECT_EQ(ReadProfile(profile::kSKCalendarEnabled), 1) << "the other choices are applied: " << label;
  }
}

TEST_F(WelcomeAboutTest, TheAboutBoxShowsItsPageAndClosesFromThePageOrItsButton) {
  struct Case {
    std::u16string clicked;  // an element of the page, or none: the window's own button
    int result;
  } cases[] = {{u"ButtonOK", kIdOk}, {u"ButtonCancel", kIdCancel}, {u"", kIdOk}};
  for (const Case& c : cases) {
    ui_.on_modal = [&](CDialog& about) {
      HeadlessWindow& window = *ui_.WindowOf(about);
      EXPECT_EQ(window.Title(), u"关于");
      EXPECT_EQ(window.WindowSize(), (Size{804, 460}));
      HeadlessControl& pane = *ui_.ControlOf(about, IDC_EXPLORER);
      std::u16string address = pane.browser->navigations.at(0);
      EXPECT_TRUE(address.ends_with(u"/Data/about.html")) << "the folder's own spelling";
      pane.browser_events->OnDocumentComplete(address);
      EXPECT_EQ(pane.browser->reported_elements, (std::vector<std::u16string>{u"ButtonOK", u"ButtonCancel"}));
      if (c.clicked.empty()) {
        ui_.Click(about, kIdOk);
      } else {
        pane.browser_events->OnElementClicked(c.clicked);
      }
      return -5;  // not used: the dialog has ended itself
    };
    EXPECT_EQ(CAboutDlg().DoModal(), c.result);
  }
}

}  // namespace

namespace {

// The welcome that the main window's first-run timer opens.
class WelcomeFromTheMainWindowTest : public SettingsCentreTest {};

TEST_F(WelcomeFromTheMainWindowTest, WithoutTheRightsForAutostartOkRestartsTheProgramElevated) {
  std::filesystem::create_directories(folder_.path() / "www");
  rights_.administrator = false;
  WriteProfile(profile::kFirstRun, 0);
  ui_.FireTimer(*main_, 15);
  std::vector<CDialog*> welcomes = ui_.OpenDialogs(IDD_WELCOME);
  ASSERT_EQ(welcomes.size(), 1u);
  ASSERT_TRUE(ui_.Click(*welcomes[0], kIdOk));
  EXPECT_EQ(ReadProfile(profile::kRunAsAdmin), 1);
  ui_.RunPendingTasks();
  EXPECT_FALSE(main_->IsOpen()) << "the restart ends this run";
}

}  // namespace
