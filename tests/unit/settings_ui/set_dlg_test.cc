// The settings centre on the headless backend, opened by the main window from the real
// templates: one window for every way to open it, its six tabs and their pages, and the
// steps of closing it.
#include "settings_ui/set_dlg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "data_files.h"
#include "settings_centre_fixture.h"

namespace {

// A page that records what the settings centre asks of it.
class RecordingPage : public CSettingsPage {
 public:
  RecordingPage() : CSettingsPage(IDD_PAGE_PLACEHOLDER) {}
  void Save() override { ++saves; }
  bool KeywordsChanged() const override { return keywords_changed; }
  void OnPageShown() override { events.push_back("shown"); }
  void OnPageHidden() override { events.push_back("hidden"); }

  int saves = 0;
  bool keywords_changed = false;
  std::vector<std::string> events;
};

// The page shown in the tab control, by tab; -1 for none or more than one.
int ShownPage(HeadlessUi& ui, CSetDlg& settings) {
  int shown = -1;
  for (int tab = 0; tab < CSetDlg::kTabCount; ++tab) {
    if (!ui.WindowOf(settings.Page(static_cast<CSetDlg::Tab>(tab)))->IsVisible()) continue;
    if (shown != -1) return -1;
    shown = tab;
  }
  return shown;
}

TEST_F(SettingsCentreTest, EveryWayToOpenItShowsTheOneWindowWithItsSixTabs) {
  CSetDlg* settings = OpenByCommand();
  ASSERT_NE(settings, nullptr);
  HeadlessWindow& window = *ui_.WindowOf(*settings);
  EXPECT_TRUE(window.IsVisible());
  EXPECT_FALSE(window.IsToolWindow()) << "a task-bar button of its own";
  EXPECT_EQ(window.Title(), u"设置中心");
  EXPECT_EQ(window.WindowSize(), (Size{608, 512}));
  EXPECT_EQ(window.ControlRect(IDC_SET_TAB), (Rect{8, 8, 600, 504}));
  EXPECT_EQ(window.Find(IDC_SET_TAB)->tabs, (std::vector<std::u16string>{u"基本设置", u"过滤设置", u"关键字词",
                                                                        u"黑白网址名单", u"密码安全", u"智能监控"}));
  EXPECT_EQ(window.TabSelection(IDC_SET_TAB), 0);
  EXPECT_EQ(ShownPage(ui_, *settings), CSetDlg::kBasicTab);

  for (int tab = 0; tab < CSetDlg::kTabCount; ++tab) {
    HeadlessWindow& page = *ui_.WindowOf(settings->Page(static_cast<CSetDlg::Tab>(tab)));
    EXPECT_EQ(page.Host(), &window) << tab;
    EXPECT_EQ(page.Bounds(), (Rect{1, 22, 589, 494})) << "inside the tab control's page area, tab " << tab;
    EXPECT_EQ(page.Look().background, Rgb(255, 255, 255)) << tab;
    ASSERT_TRUE(ui_.SelectTab(*settings, IDC_SET_TAB, tab));
    EXPECT_EQ(ShownPage(ui_, *settings), tab);
  }
  EXPECT_EQ(settings->Page(CSetDlg::kSafeTab).TemplateId(), IDD_SAFE);

  // The menu command again, the window message and the control server's ".set": the same
  // window, brought to the front.
  int fronts = window.FrontCount();
  EXPECT_EQ(OpenByCommand(), settings);
  ui_.SendPrivateMessage(*main_, WM_KEZO_OPENSETTINGS);
  std::atomic<bool> returned{false};
  std::thread request([&] {
    main_->OpenSettingsFromServer();
    returned = true;
    ui_.Dispatcher().Post([] {});
  });
  ui_.RunTasksUntil([&] { return returned.load(); });
  request.join();
  EXPECT_EQ(window.FrontCount(), fronts + 3);
  EXPECT_EQ(ui_.OpenDialogs(IDD_SET).size(), 1u);
}

TEST_F(SettingsCentreTest, ClosingOnAnyTabHidesTheWindowAndTheNextOpeningShowsTheBasicPage) {
  CSetDlg* settings = OpenByCommand();
  ui_.SelectTab(*settings, IDC_SET_TAB, CSetDlg::kSafeTab);
  ui_.SendSysCommand(*settings, SysCommand::kClose);
  HeadlessWindow& window = *ui_.WindowOf(*settings);
  EXPECT_FALSE(window.IsVisible());
  EXPECT_FALSE(window.IsDestroyed()) << "hidden, not destroyed";
  EXPECT_FALSE(ui_.Click(settings->Page(CSetDlg::kSafeTab), IDC_SET_PASSWORD)) << "a hidden window's page is out of reach";

  OpenByCommand();
  EXPECT_TRUE(window.IsVisible());
  EXPECT_EQ(window.TabSelection(IDC_SET_TAB), 0);
  EXPECT_EQ(ShownPage(ui_, *settings), CSetDlg::kBasicTab);
  EXPECT_FALSE(ui_.Click(settings->Page(CSetDlg::kSafeTab), IDC_SET_PASSWORD)) << "a hidden page is out of reach";
}

// The settings centre with recording pages in place of the program's.
class ClosingTest : public SettingsCentreTest {
 protected:
  void SetUp() override {
    SettingsCentreTest::SetUp();
    CSetDlg::PageFactories pages;
    for (int tab = 0; tab < CSetDlg::kTabCount; ++tab) {
      pages[tab] = [this, tab](CKEZODlg&) {
        auto page = std::make_unique<RecordingPage>();
        recorded_[tab] = page.get();
        return page;
      };
    }
    settings_ = std::make_unique<CSetDlg>(*main_, pages);
    ASSERT_TRUE(settings_->Open());
  }
  void TearDown() override {
    settings_.reset();
    SettingsCentreTest::TearDown();
  }
  RecordingPage& Recorded(CSetDlg::Tab tab) { return *recorded_[tab]; }
  // What a close finds in the keyword matcher and in the proxy's learned sites.
  bool Matches(std::u16string_view word) { return main_->BlackFilter()->Match(word); }
  RequestVerdict Verdict(const std::string& url) { return main_->Proxy()->Config().Judge(url, SplitUrl(url), "").verdict; }

  std::unique_ptr<CSetDlg> settings_;
  RecordingPage* recorded_[CSetDlg::kTabCount] = {};
};

TEST_F(ClosingTest, SavesTheBasicAndFilterPagesAndReloadsSmartMonitoring) {
  ui_.SelectTab(*settings_, IDC_SET_TAB, CSetDlg::kKeywordsTab);
  WriteListFile("Data\\UserWord.kezo", {"新词甲"}, true);
  WriteListFile("Data\\IntelligentDomain.txt", {"learned.test"}, false);
  ASSERT_NE(Verdict("http://learned.test/"), RequestVerdict::kBlockPage);

  ui_.SendSysCommand(*settings_, SysCommand::kClose);
  EXPECT_FALSE(ui_.WindowOf(*settings_)->IsVisible());
  EXPECT_EQ(Recorded(CSetDlg::kBasicTab).saves, 1);
  EXPECT_EQ(Recorded(CSetDlg::kFilterTab).saves, 1);
  EXPECT_EQ(Recorded(CSetDlg::kKeywordsTab).saves, 0) << "only the basic and the filter page save";
  EXPECT_EQ(Recorded(CSetDlg::kKeywordsTab).events, (std::vector<std::string>{"shown", "hidden"}));
  EXPECT_EQ(settings_->SelectedTab(), CSetDlg::kBasicTab);
  EXPECT_EQ(Verdict("http://learned.test/"), RequestVerdict::kBlockPage) << "smart monitoring reloaded";
  EXPECT_FALSE(Matches(u"有新词甲的标题")) << "no page changed the keywords: no rebuild";

  // Escape closes too; a closed window does not close again.
  settings_->Open();
  Recorded(CSetDlg::kKeywordsTab).keywords_changed = true;
  settings_->HandleCommand(kIdCancel);  // Escape
  EXPECT_TRUE(Matches(u"有新词甲的标题")) << "the keywords page changed: rebuilt";
  settings_->HandleCommand(kIdCancel);  // Escape
  EXPECT_EQ(Recorded(CSetDlg::kBasicTab).saves, 2);
}

TEST_F(ClosingTest, AChangedFilterPageRebuildsAtEveryLaterClose) {
  Recorded(CSetDlg::kFilterTab).keywords_changed = true;
  ui_.SendSysCommand(*settings_, SysCommand::kClose);
  settings_->Open();
  WriteListFile("Data\\UserWord.kezo", {"新词乙"}, true);
  ui_.SendSysCommand(*settings_, SysCommand::kClose);
  EXPECT_TRUE(Matches(u"新词乙"));
}

TEST_F(SettingsCentreTest, HidingTheMainWindowClosesTheSettingsCentre) {
  CSetDlg* settings = OpenByCommand();
  ui_.SelectTab(*settings, IDC_SET_TAB, CSetDlg::kSafeTab);
  main_->HideMainWindow();
  EXPECT_FALSE(ui_.WindowOf(*settings)->IsVisible());
  EXPECT_EQ(settings->SelectedTab(), CSetDlg::kBasicTab);
}

// The framework's tab pages: the hooks run on a change only, the page going away first.
TEST(TabPagesTest, ShowsThePageOfTheChosenTabAndTellsThePagesOfTheChange) {
  CApplication application{u"Veltra"};
  HeadlessUi ui{KezoResources()};
  ScopedUiBackend installed{ui};
  class Host : public CDialog {
   public:
    Host() : CDialog(IDD_SET), tabs(*this, IDC_SET_TAB) {}
    CTabPages tabs;
    RecordingPage first, second;

   protected:
    bool OnInit() override {
      tabs.Add(u"一", first);
      tabs.Add(u"二", second);
      tabs.Select(0);
      return true;
    }
    void OnControlEvent(int id, ControlEvent event, std::u16string_view) override {
      if (event == ControlEvent::kTabChanged) tabs.OnTabChanged();
    }
  } host;
  ASSERT_TRUE(host.Create());
  ui.WindowOf(host)->Show(WindowShow::kNormal);
  EXPECT_EQ(host.first.events, std::vector<std::string>{"shown"});
  EXPECT_TRUE(host.second.events.empty()) << "creating a page hidden is no change";

  ui.SelectTab(host, IDC_SET_TAB, 1);
  EXPECT_EQ(host.first.events, (std::vector<std::string>{"shown", "hidden"}));
  EXPECT_EQ(host.second.events, std::vector<std::string>{"shown"});
  host.tabs.Select(1);
  EXPECT_EQ(host.second.events, std::vector<std::string>{"shown"}) << "choosing the shown tab again is no change";
  EXPECT_EQ(host.tabs.Selection(), 1);

  host.DestroyWindow();
  EXPECT_FALSE(host.first.IsOpen()) << "the pages go with the window that holds them";
  EXPECT_FALSE(host.second.IsOpen());
}

}  // namespace

// The program's keyword and site-list pages in their tabs: what they change reaches the
// matcher when the centre closes and the proxy at once.
TEST_F(SettingsCentreTest, TheKeywordAndSiteListTabsEditTheListsTheProxyAndMatcherUse) {
  CSetDlg* settings = OpenByCommand();
  ASSERT_NE(settings, nullptr);
  CSettingsPage& words = settings->Page(CSetDlg::kKeywordsTab);
  CSettingsPage& sites = settings->Page(CSetDlg::kSiteListsTab);
  EXPECT_EQ(words.TemplateId(), IDD_USERWORD);
  EXPECT_EQ(sites.TemplateId(), IDD_BWDOMAIN);

  ui_.SelectTab(*settings, IDC_SET_TAB, CSetDlg::kKeywordsTab);
  ui_.Paste(words, IDC_USERWORD_ENTRY, u"中心新词");
  ASSERT_TRUE(ui_.Click(words, IDC_USERWORD_ADD));
  EXPECT_TRUE(words.KeywordsChanged());

  ui_.SelectTab(*settings, IDC_SET_TAB, CSetDlg::kSiteListsTab);
  ui_.on_modal = [this](CDialog& dialog) {
    if (dialog.TemplateId() == IDD_ADD_URL) {
      ui_.Paste(dialog, IDC_ADD_URL_ENTRY, u"www.centre-site.test");
      ui_.Click(dialog, kIdOk);
    }
    return kIdCancel;
  };
  ui_.on_menu = [](const MenuModel&) { return ID_BW_ADD; };
  ASSERT_TRUE(ui_.RightClickList(sites, IDC_BW_LIST, -1));
  EXPECT_EQ(ui_.WindowOf(sites)->ListText(IDC_BW_LIST, 0, 0), u"centre-site.test");
  std::string url = "http://www.centre-site.test/";
  EXPECT_EQ(main_->Proxy()->Config().Judge(url, SplitUrl(url), "").verdict, RequestVerdict::kBlockPage) << "at once";

  EXPECT_FALSE(main_->BlackFilter()->Match(std::u16string_view(u"标题里的中心新词")));
  ui_.SendSysCommand(*settings, SysCommand::kClose);
  EXPECT_TRUE(main_->BlackFilter()->Match(std::u16string_view(u"标题里的中心新词"))) << "rebuilt at the close";
}
