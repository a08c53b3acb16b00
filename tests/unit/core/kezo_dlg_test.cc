#include "core/kezo_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "core/app_lifecycle.h"
#include "core/kezo_app.h"
#include "core/window_patrol.h"
#include "data_files.h"
#include "main_window_fixture.h"
#include "platform/file_system.h"
#include "recording_url_cache.h"
#include "test_origin.h"
#include "toolbar_commands.h"

namespace {

TEST_F(MainWindowTest, OpensWithItsServersTrayIconTitleAndTimers) {
  Open();
  EXPECT_TRUE(main_->FilteringOn());
  EXPECT_NE(main_->Proxy()->Port(), 0);
  EXPECT_TRUE(main_->ControlServer()->IsListening());
  EXPECT_EQ(main_->Proxy()->Config().ControlServerPort(), main_->ControlServer()->Port()) << "the tip page's server";
  EXPECT_EQ(Window().Title(), u"Veltra");
  EXPECT_EQ(Window().WindowSize(), (Size{898, 600}));
  EXPECT_EQ(Window().Icon(), IDR_MAINFRAME);
  const HeadlessTray& tray = Window().Tray();
  EXPECT_TRUE(tray.shown);
  EXPECT_EQ(tray.settings.id, 128);
  EXPECT_EQ(tray.settings.callback_message, WM_KEZO_TRAY);
  EXPECT_EQ(tray.icon, IDI_TRAY_NORMAL);
  EXPECT_EQ(tray.settings.tip, u"Veltra");
  EXPECT_EQ(Window().Text(IDC_BANNER), u"Veltra已经保护您的电脑 1 天");
  EXPECT_EQ(Window().Text(IDC_VERSION_LABEL).substr(0, 4), u"版本: ");

  const std::pair<int, uint32_t> timers[] = {{1, 300000}, {3, 1000}, {7, 30000}, {10, 600000},
                                             {11, 5000},  {12, 300000}, {15, 3000}};
  for (auto [id, period] : timers) {
    ASSERT_TRUE(Window().Timers().count(id)) << id;
    EXPECT_EQ(Window().Timers().at(id).period_ms, period) << id;
  }
  for (int id : {4, 5, 6, 9, 14, 19}) EXPECT_FALSE(Window().Timers().count(id)) << id;
}

TEST_F(MainWindowTest, TheCounterIsCentredOnItsPlace) {
  EXPECT_EQ(LayOutCounter(0, 20).left, 9 * 20 / 2 + 625);
  EXPECT_EQ(LayOutCounter(1234567, 20).left, 3 * 20 / 2 + 625);
  EXPECT_EQ(LayOutCounter(4294967295u, 20).digits, "4294967295");
  EXPECT_EQ(LayOutCounter(4294967295u, 20).left, 625);

  WriteProfile(profile::kFilterCount, 0);
  Open();
  auto shown = [this] {
    std::vector<Rect> rects;
    for (int id = IDC_DIGIT0; id <= IDC_DIGIT9; ++id) {
      if (Window().IsControlVisible(id)) rects.push_back(Window().ControlRect(id));
    }
    return rects;
  };
  EXPECT_EQ(shown(), std::vector<Rect>{Rect::At(715, 150, 20, 48)});
  TheSetup().AddFilterCount(1234567);
  std::vector<Rect> seven = shown();
  ASSERT_EQ(seven.size(), 7u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(seven[static_cast<size_t>(i)], Rect::At(655 + 20 * i, 150, 20, 48)) << i;
  EXPECT_EQ(Window().Find(IDC_DIGIT0)->image->GetSize().width, kDigitWidth);
}

TEST_F(MainWindowTest, TheCounterRedrawFromACountingThreadWaitsForTheWindow) {
  Open();
  std::atomic<bool> done{false};
  std::thread counting([&] {
    TheSetup().AddFilterCount(42);
    done = true;
    ui_.Dispatcher().Post([] {});  // wakes the waiting loop
  });
  ui_.RunTasksUntil([&] { return done.load(); });
  counting.join();
  EXPECT_TRUE(Window().IsControlVisible(IDC_DIGIT1));
  EXPECT_FALSE(Window().IsControlVisible(IDC_DIGIT2));
}

TEST_F(MainWindowTest, TheTrayMenuFollowsTheState) {
  Open();
  MenuModel filtering = TrayMenu();
  EXPECT_EQ(TextOf(filtering, 32800), u"暂停软件过滤");
  EXPECT_EQ(TextOf(filtering, 32810), u"显示软件界面") << "the window starts hidden";
  EXPECT_FALSE(filtering.Find(32847)->checked);

  main_->ShowMainWindow();
  EXPECT_EQ(TextOf(TrayMenu(), 32810), u"隐藏软件界面");

  dialogs_.pause_minutes = 5;
  ui_.on_menu = [](const MenuModel&) { return 32800; };
  MenuModel before_pause = TrayMenu();
  ui_.on_menu = nullptr;
  EXPECT_FALSE(main_->FilteringOn());
  EXPECT_EQ(Window().Tray().icon, IDI_TRAY_PAUSED);
  EXPECT_EQ(Window().Timers().at(9).period_ms, 300000u);
  EXPECT_EQ(system_.removed, 1);
  EXPECT_EQ(TextOf(TrayMenu(), 32800), u"恢复软件过滤");

  ui_.FireTimer(*main_, 9);  // the pause ends
  EXPECT_TRUE(main_->FilteringOn());
  EXPECT_EQ(Window().Tray().icon, IDI_TRAY_NORMAL);
  EXPECT_EQ(system_.registered.size(), 1u);
  EXPECT_FALSE(Window().Timers().count(9));
  EXPECT_EQ(TextOf(TrayMenu(), 32800), u"暂停软件过滤");
}

TEST_F(MainWindowTest, TheForcedModeViewHasNoPauseItem) {
  WriteProfile(profile::kSoftMode, 1);
  Open();
  EXPECT_EQ(main_->CurrentView(), 1);
  EXPECT_EQ(forced_.countdown_starts, 1);
  MenuModel menu = TrayMenu();
  EXPECT_EQ(menu.Find(32800), nullptr);
  EXPECT_NE(menu.Find(32808), nullptr);
}

TEST_F(MainWindowTest, ALockedProgramOffersOnlyTheSixItemMenu) {
  lock_.password = true;
  lock_.locked = true;
  Open();
  EXPECT_EQ(Window().Tray().icon, IDI_TRAY_LOCKED);
  EXPECT_EQ(Window().Title(), u"Veltra_锁定");
  MenuModel menu = TrayMenu();
  ASSERT_EQ(menu.Items().size(), 6u);
  const std::u16string texts[] = {u"休息提醒", u"定时关机", u"添加关键词", u"添加黑名单网址", u"", u"解除锁定"};
  const int ids[] = {32845, 1103, 1114, 1099, 0, 1097};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(menu.Items()[i].text, texts[i]) << i;
    EXPECT_EQ(menu.Items()[i].id, ids[i]) << i;
  }
  EXPECT_TRUE(menu.Items()[4].separator);

  // A keyword is added without the password.
  dialogs_.keyword = u"测试词";
  ui_.on_menu = [](const MenuModel&) { return 1114; };
  TrayMenu();
  ASSERT_FALSE(ui_.message_boxes.empty());
  EXPECT_EQ(ui_.message_boxes.back().text, u"添加成功!");
  EXPECT_TRUE(main_->BlackFilter()->Match(std::u16string_view(u"一个测试词")));

  // Showing the window asks for the password first; a wrong answer leaves it locked.
  ui_.on_menu = [](const MenuModel&) { return 1097; };
  TrayMenu();
  EXPECT_EQ(dialogs_.calls.back(), "password prompt");
  EXPECT_FALSE(Window().IsVisible());
  dialogs_.prompt_answer = true;
  TrayMenu();
  EXPECT_FALSE(lock_.locked);
  EXPECT_TRUE(Window().IsVisible());
  EXPECT_EQ(Window().Title(), u"Veltra");
}

TEST_F(MainWindowTest, TheMainMenuOffersItsItemsByView) {
  Open();
  MenuModel counter_view = MainMenu();
  EXPECT_EQ(counter_view.Find(32775), nullptr) << "no way back to the view already shown";
  EXPECT_EQ(counter_view.Find(32839), nullptr);
  EXPECT_NE(counter_view.Find(32781), nullptr);

  main_->SetViewMode(2);
  MenuModel cultivation = MainMenu();
  EXPECT_NE(cultivation.Find(32775), nullptr);
  EXPECT_EQ(cultivation.Find(32839), nullptr);

  main_->SetViewMode(1);
  EXPECT_EQ(TextOf(MainMenu(), 32839), u"开启强制戒色模式");
  main_->ForcedRecord().running = 1;
  EXPECT_EQ(TextOf(MainMenu(), 32839), u"延长强制戒色模式时间");
}

TEST_F(MainWindowTest, LeavingTheViewAndQuittingAskTheForcedMode) {
  WriteProfile(profile::kSoftMode, 2);
  Open();
  HeadlessBrowserPane& pane = *ui_.BrowserOf(*main_, IDC_EXPLORER);
  ASSERT_EQ(pane.navigations.size(), 2u);
  EXPECT_EQ(pane.navigations[0].substr(0, 6), u"res://");
  EXPECT_EQ(pane.navigations[0].substr(pane.navigations[0].size() - 4), u"/140");
  EXPECT_NE(pane.navigations[1].find(u"/cms/gongguo/member.php?op=reg"), std::u16string::npos);
  EXPECT_TRUE(Window().IsControlVisible(IDC_EXPLORER));
  EXPECT_EQ(Window().ControlRect(IDC_EXPLORER), (Rect{0, 46, 898, 600}));

  forced_.allow = false;
  ui_.on_menu = [](const MenuModel&) { return 32775; };
  MainMenu();
  EXPECT_EQ(main_->CurrentView(), 2) << "refused";
  ui_.on_menu = [](const MenuModel&) { return 32808; };
  TrayMenu();
  EXPECT_TRUE(main_->IsOpen()) << "refused";
  EXPECT_EQ(forced_.asked_views, (std::vector<int>{2, 2}));

  forced_.allow = true;
  ui_.on_menu = [](const MenuModel&) { return 32775; };
  MainMenu();
  EXPECT_EQ(main_->CurrentView(), 0);
  EXPECT_EQ(ReadProfile(profile::kSoftMode), 0);
  EXPECT_FALSE(Window().IsControlVisible(IDC_EXPLORER));
  EXPECT_TRUE(Window().IsControlVisible(IDC_BANNER));

  ui_.on_menu = [](const MenuModel&) { return 32808; };
  TrayMenu();
  EXPECT_FALSE(main_->IsOpen());
  EXPECT_TRUE(TheSetup().Exiting);
  EXPECT_TRUE(ui_.QuitRequested());
}

TEST_F(MainWindowTest, TheCloseButtonHidesWithOneBalloonOrQuits) {
  Open();
  main_->ShowMainWindow();
  ui_.Click(*main_, IDC_CLOSE_BUTTON);  // posts the system close command
  ui_.RunPendingTasks();
  EXPECT_FALSE(Window().IsVisible());
  EXPECT_TRUE(main_->IsOpen());
  ASSERT_EQ(Window().Tray().balloons.size(), 1u);
  EXPECT_EQ(Window().Tray().balloons[0], (std::pair<std::u16string, std::u16string>{u"Veltra 为您护航", u"程序将在后台继续运行"}));
  EXPECT_TRUE(ui_.message_boxes.empty()) << "the tray icon is shown: no warning";
  main_->ShowMainWindow();
  ui_.SendSysCommand(*main_, SysCommand::kClose);
  EXPECT_EQ(Window().Tray().balloons.size(), 1u) << "the balloon comes once per run";
  EXPECT_TRUE(forced_.asked_views.empty());

  WriteProfile(profile::kMainCloseButtonIsHideForm, 0);
  forced_.allow = false;
  ui_.SendSysCommand(*main_, SysCommand::kClose);
  EXPECT_TRUE(main_->IsOpen()) << "the forced mode refuses";
  forced_.allow = true;
  ui_.SendSysCommand(*main_, SysCommand::kClose);
  EXPECT_FALSE(main_->IsOpen());
  EXPECT_TRUE(TheSetup().Exiting);
}

TEST_F(MainWindowTest, HidingWithoutATrayIconWarnsThatOnlyTheHotKeyBringsItBack) {
  WriteProfile(profile::kShowNotifyIcon, 0);
  Open();
  EXPECT_FALSE(Window().Tray().shown);
  ui_.SendSysCommand(*main_, SysCommand::kClose);
  ASSERT_EQ(ui_.message_boxes.size(), 1u);
  EXPECT_EQ(ui_.message_boxes[0].text.substr(0, 12), u"由于您设置了关闭主界面时");
  EXPECT_EQ(ui_.message_boxes[0].caption, u"Veltra");
}

TEST_F(MainWindowTest, TimersSaveReRegisterUpdateAndWelcome) {
  Open();
  TheSetup().AddFilterCount(7);
  ui_.FireTimer(*main_, 1);
  EXPECT_EQ(ReadProfile(profile::kFilterCount), 7);
  EXPECT_TRUE(Window().Timers().count(1)) << "repeats";

  ui_.FireTimer(*main_, 7);
  EXPECT_EQ(system_.registered, std::vector<uint16_t>{main_->Proxy()->Port()});
  main_->PauseFiltering();
  ui_.FireTimer(*main_, 7);
  EXPECT_EQ(system_.registered.size(), 1u) << "not while paused";

  ui_.FireTimer(*main_, 11);
  EXPECT_FALSE(Window().Timers().count(11));
  ui_.FireTimer(*main_, 10);
  EXPECT_TRUE(Window().Timers().count(10));
  ASSERT_EQ(runner_.runs.size(), 2u);
  EXPECT_EQ(runner_.runs[0].program, "Updater.exe");
  EXPECT_EQ(runner_.runs[0].arguments, u"");
  EXPECT_FALSE(runner_.runs[0].shown);

  ui_.FireTimer(*main_, 12);
  ASSERT_EQ(runner_.runs.size(), 3u);
  EXPECT_EQ(runner_.runs[2].arguments.substr(0, 9), u"-u -h -v=");
  EXPECT_TRUE(runner_.runs[2].shown);
  windows_.titles.insert(u"Veltra 在线升级");
  ui_.on_menu = [](const MenuModel&) { return 32785; };
  TrayMenu();
  EXPECT_EQ(runner_.runs.size(), 3u) << "an open update window is brought to the front instead";
  EXPECT_EQ(windows_.brought_to_front.size(), 1u);

  ui_.FireTimer(*main_, 15);
  EXPECT_EQ(ReadProfile(profile::kFirstRun), 1);
  EXPECT_EQ(dialogs_.calls.back(), "welcome");
  EXPECT_FALSE(Window().Timers().count(15));
}

// The main window with the real patrol, quick between its passes; it outlives the window.
class MainWindowPatrolTest : public MainWindowTest {
 protected:
  MainWindowPatrolTest() {
    std::filesystem::create_directories(folder_.path() / "Data");
    WriteListFile("Data\\word.kezo", {"色情"}, true);
    patrol_ = &patrol_under_test_;
  }
  ~MainWindowPatrolTest() override {
    if (main_) main_->Teardown();
    main_.reset();
  }
  static PatrolTiming Quick() {
    PatrolTiming timing;
    timing.period = std::chrono::milliseconds(1);
    return timing;
  }
  CWindowPatrol patrol_under_test_{Quick()};
};

// The tray command and FormPatrol start and stop the patrol, which closes a window whose
// title holds a word of the black filter; the teardown stops it.
TEST_F(MainWindowPatrolTest, ThePatrolFollowsFormPatrolAndTheTrayCommand) {
  CWindowPatrol& patrol = patrol_under_test_;
  Open();
  EXPECT_FALSE(patrol.IsRunning()) << "FormPatrol is off by default";

  windows_.desktop = {FakeTopLevelWindows::Window{7, u"色情图片 - 浏览器"}, FakeTopLevelWindows::Window{8, u"新闻"}};
  ui_.on_menu = [](const MenuModel&) { return 32847; };
  TrayMenu();
  EXPECT_EQ(ReadProfile(profile::kFormPatrol), 1);
  EXPECT_TRUE(patrol.IsRunning());
  windows_.WaitForEnumerations(2);  // the first pass is over once the second begins
  ui_.on_menu = nullptr;
  EXPECT_TRUE(TrayMenu().Find(32847)->checked);

  ui_.on_menu = [](const MenuModel&) { return 32847; };
  TrayMenu();
  EXPECT_EQ(ReadProfile(profile::kFormPatrol), 0);
  EXPECT_FALSE(patrol.IsRunning());
  std::vector<WindowHandle> asked = windows_.HandlesAsked();
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked[0], 7u);
  EXPECT_EQ(std::count(asked.begin(), asked.end(), 8u), 0) << "an ordinary title is left alone";

  main_->Teardown();
  main_.reset();
  WriteProfile(profile::kFormPatrol, 1);
  Open();
  EXPECT_TRUE(patrol.IsRunning()) << "a remembered FormPatrol starts it with the window";
  main_->Teardown();
  EXPECT_FALSE(patrol.IsRunning());
  EXPECT_EQ(patrol.ThreadsAlive(), 0);
}

TEST_F(MainWindowTest, TheWelcomeIsNotShownOnceFirstRunIsSet) {
  WriteProfile(profile::kFirstRun, 1);
  Open();
  ui_.FireTimer(*main_, 15);
  EXPECT_EQ(std::count(dialogs_.calls.begin(), dialogs_.calls.end(), "welcome"), 0);
}

TEST_F(MainWindowTest, AMissingUpdaterIsReportedOncePerRun) {
  runner_.present.clear();
  Open();
  ui_.FireTimer(*main_, 11);
  ui_.FireTimer(*main_, 10);
  ui_.FireTimer(*main_, 12);
  ASSERT_EQ(ui_.message_boxes.size(), 1u);
  EXPECT_EQ(ui_.message_boxes[0].text, u"Updater 文件丢失,请下载最新版本重新安装程序!");
  ASSERT_EQ(shell_.opened.size(), 1u);
  EXPECT_NE(shell_.opened[0].find(u"/soft_update/"), std::u16string::npos);
  EXPECT_TRUE(runner_.runs.empty());
}

TEST_F(MainWindowTest, AServerThatCannotStartEndsTheWindowThroughTimer19) {
  int error = 0;
  SocketHandle taken = ListenTcp(0, &error);
  ASSERT_NE(taken, kNoSocket);
  WriteProfile(profile::kHttpPort, LocalPort(taken));
  Open();
  CloseSocket(taken);
  ASSERT_EQ(ui_.message_boxes.size(), 1u);
  EXPECT_EQ(ui_.message_boxes[0].text.substr(0, 11), u"启动发生错误，错误号：");
  EXPECT_FALSE(main_->FilteringOn());
  EXPECT_TRUE(main_->StartupFailed());
  EXPECT_TRUE(Window().IsToolWindow());
  EXPECT_FALSE(Window().IsVisible());
  EXPECT_EQ(Window().Timers().at(19).period_ms, 1u);
  ui_.FireTimer(*main_, 19);
  EXPECT_FALSE(main_->IsOpen());
  EXPECT_TRUE(ui_.QuitRequested());
  EXPECT_FALSE(TheSetup().Exiting) << "not the user's quit";
}

TEST_F(MainWindowTest, MissingDigitPicturesEndTheProgramThroughItsShutdown) {
  std::filesystem::remove(folder_.path() / "Images" / "7.png");
  Open();
  ASSERT_EQ(ui_.message_boxes.size(), 1u);
  EXPECT_EQ(ui_.message_boxes[0].text, u"程序文件加载失败，请重新安装程序。");
  EXPECT_EQ(ui_.message_boxes[0].caption, u"InitFilterNumber");
  EXPECT_EQ(ui_.message_boxes[0].icon, MessageIcon::kError);
  EXPECT_TRUE(Window().Timers().count(19));
  EXPECT_FALSE(Window().Timers().count(1)) << "nothing else starts";
}

// A quit taken while a start-up message was shown (from the tray menu, or Updater's quit
// message) destroyed the window under its initialisation, which went on with the window
// gone and crashed.
TEST_F(MainWindowTest, AQuitWhileAStartUpMessageIsShownEndsTheStart) {
  int error = 0;
  SocketHandle taken = ListenTcp(0, &error);
  ASSERT_NE(taken, kNoSocket);
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"a digit picture missing", [this] { std::filesystem::remove(folder_.path() / "Images" / "7.png"); }},
      {"the control server's port taken", [taken] { WriteProfile(profile::kHttpPort, LocalPort(taken)); }},
  };
  for (const auto& [name, break_start] : cases) {
    break_start();
    ui_.on_message_box = [this](const MessageBoxRequest&) {
      ui_.SendPrivateMessage(*main_, WM_KEZO_QUIT);
      return kIdOk;
    };
    CKEZODlg::Collaborators parts{&dialogs_, &forced_, &lock_, nullptr, [](std::function<void()> work) { work(); }};
    main_ = std::make_unique<CKEZODlg>(lists_, parts);
    main_->SetQuitsOnDestroy(true);
    EXPECT_FALSE(main_->Create()) << name;
    EXPECT_FALSE(main_->IsOpen()) << name;
    EXPECT_TRUE(TheSetup().Exiting) << name;
    EXPECT_TRUE(ui_.QuitRequested()) << name;
    main_.reset();
    test_pictures::WriteMainWindowPictures(folder_.path(), kDigitWidth);
  }
  CloseSocket(taken);
}

// www\param.js was written before the settings were read, so after every start it told the
// page script to show pictures whatever NonePicture said.
TEST_F(MainWindowTest, TheParameterScriptStatesTheSavedPictureSettingsFromTheStart) {
  WriteProfile(profile::kNonePicture, 1);
  WriteProfile(profile::kManualFilterImage, 0);
  std::filesystem::create_directory(folder_.path() / "www");
  Open();
  EXPECT_EQ(FileSystem::Current().ReadAll("www\\param.js"),
            "var kezo_data={}\r\nkezo_data.manual_nonepic='0'\r\nkezo_data.no_img='1'");
}

// The control server kept lists of its own: a site blocked or trusted from the in-page
// toolbar was saved, but the proxy went on judging it by the lists it had loaded.
TEST_F(MainWindowTest, TheToolbarsSiteCommandsTakeEffectInTheProxyAtOnce) {
  RecordingUrlCache url_cache;
  ScopedSeam<UrlCache> cache_seam{url_cache};
  std::filesystem::create_directory(folder_.path() / "www");
  FileSystem::Current().Replace("www\\ConfirmCommand.html", kConfirmPageTemplate);
  Open();
  struct Case {
    const char* command;
    const char* url;
    RequestVerdict verdict;
  } cases[] = {{"black", "http://blocked.example/", RequestVerdict::kBlockPage},
               {"white", "http://trusted.example/", RequestVerdict::kPassWhite}};
  for (const Case& c : cases) {
    std::string target = std::string("/x.") + c.command + "?url=" + std::string(SplitUrl(c.url).host);
    ConfirmCommand(main_->ControlServer()->Port(), target);  // trusting a site is confirmed first
    EXPECT_EQ(main_->Proxy()->Config().Judge(c.url, SplitUrl(c.url), "").verdict, c.verdict) << c.command;
  }
}

TEST_F(MainWindowTest, QuitMessageEndsTheProgramInEveryState) {
  struct State {
    const char* name;
    int soft_mode;
    bool paused;
    bool locked;
  };
  for (State state : {State{"filtering", 0, false, false}, State{"paused", 0, true, false},
                      State{"forced view", 1, false, false}, State{"locked", 0, false, true}}) {
    SCOPED_TRACE(state.name);
    HeadlessUi ui(KezoResources());
    ScopedUiBackend installed(ui);
    TheSetup().Exiting = false;
    ServersStopping = false;
    WriteProfile(profile::kSoftMode, state.soft_mode);
    lock_.password = lock_.locked = state.locked;
    forced_.allow = false;
    forced_.asked_views.clear();
    Open();
    if (state.paused) main_->PauseFiltering();
    system_.removed = 0;
    main_->ForcedRecord().remaining = 90;

    EXPECT_TRUE(ui.SendPrivateMessage(*main_, WM_KEZO_QUIT));
    EXPECT_FALSE(main_->IsOpen());
    EXPECT_TRUE(TheSetup().Exiting);
    EXPECT_TRUE(ui.QuitRequested());
    EXPECT_TRUE(forced_.asked_views.empty()) << "no forced-mode check";

    main_->Teardown();
    EXPECT_TRUE(ServersStopping);
    EXPECT_EQ(main_->Proxy(), nullptr);
    EXPECT_EQ(system_.removed, 1);
    EXPECT_EQ(ReadProfile(profile::kTimeRemaining), 90);
    EXPECT_EQ(dialogs_.calls.back(), "destroy children");
    main_.reset();
  }
}

// The Linux KEZO took every signal for the user's quit: a service manager's stop ended
// Launcher too, and Ctrl+C quit a locked program or one in the forced mode.
TEST_F(MainWindowTest, TheTerminalsQuitAsksTheLockAndTheForcedModeAndAnOutsideEndLeavesLauncher) {
  struct Case {
    const char* name;
    bool locked;
    bool forced_mode_allows;
    bool quits;
    std::vector<int> asked_views;
  };
  for (const Case& c : {Case{"unlocked", false, true, true, {0}}, Case{"locked", true, true, false, {}},
                        Case{"forced mode refuses", false, false, false, {0}}}) {
    SCOPED_TRACE(c.name);
    TheSetup().Exiting = false;
    lock_.password = lock_.locked = c.locked;
    forced_.allow = c.forced_mode_allows;
    forced_.asked_views.clear();
    ui_.message_boxes.clear();
    Open();
    main_->QuitAsUser();
    EXPECT_EQ(main_->IsOpen(), !c.quits);
    EXPECT_EQ(TheSetup().Exiting.load(), c.quits);
    EXPECT_EQ(forced_.asked_views, c.asked_views);
    if (c.locked) {
      ASSERT_EQ(ui_.message_boxes.size(), 1u);
      EXPECT_EQ(ui_.message_boxes[0].text, u"软件已锁定，不能退出。请先解除锁定。");
    }
    main_->EndFromOutside();
    EXPECT_FALSE(main_->IsOpen());
    EXPECT_EQ(TheSetup().Exiting.load(), c.quits) << "an end from outside is not the user's quit";
    main_.reset();
  }
}

// Timer 10 started another Updater every ten minutes while the last one still ran, and the
// two unpacked and deleted each other's packs.
TEST_F(MainWindowTest, NoSecondDataUpdateStartsWhileOneRuns) {
  std::vector<std::function<void()>> updaters;
  CKEZODlg::Collaborators parts{&dialogs_, &forced_, &lock_, nullptr,
                                [&updaters](std::function<void()> work) { updaters.push_back(std::move(work)); }};
  main_ = std::make_unique<CKEZODlg>(lists_, parts);
  main_->SetQuitsOnDestroy(true);
  ASSERT_TRUE(main_->Create());
  ui_.FireTimer(*main_, 10);
  ui_.FireTimer(*main_, 10);
  ui_.FireTimer(*main_, 11);
  ASSERT_EQ(updaters.size(), 1u);
  updaters[0]();  // that Updater ends
  ui_.FireTimer(*main_, 10);
  ASSERT_EQ(updaters.size(), 2u);
  updaters[1]();
  EXPECT_EQ(runner_.runs.size(), 2u);
}

TEST_F(MainWindowTest, TheControlServersSettingsRequestWaitsForTheWindow) {
  Open();
  std::atomic<bool> returned{false};
  std::thread request([&] {
    main_->OpenSettingsFromServer();
    returned = true;
    ui_.Dispatcher().Post([] {});
  });
  ui_.RunTasksUntil([&] { return returned.load(); });
  request.join();
  EXPECT_EQ(dialogs_.calls.back(), "settings");

  lock_.password = lock_.locked = true;
  ui_.SendPrivateMessage(*main_, WM_KEZO_OPENSETTINGS);
  EXPECT_EQ(dialogs_.calls.back(), "password prompt") << "a page cannot open the settings of a locked program";

  main_->Teardown();
  main_->OpenSettingsFromServer();  // returns at once: the window is going away
}

TEST_F(MainWindowTest, TheHotKeyIsRegisteredAfterASecondAndAConflictIsShown) {
  ui_.TakeHotKey(0x02, 'G');
  Open();
  ui_.FireTimer(*main_, 3);
  EXPECT_EQ(dialogs_.calls.back(), "hot-key conflict");
  EXPECT_FALSE(Window().Timers().count(3));
  main_.reset();

  ServersStopping = false;
  HeadlessUi other(KezoResources());
  ScopedUiBackend installed(other);
  Open();
  other.FireTimer(*main_, 3);
  EXPECT_TRUE(other.WindowOf(*main_)->HotKeys().count(SetupRecord::ShowHotKeyId));
  other.PressHotKey(*main_, SetupRecord::ShowHotKeyId);
  EXPECT_TRUE(other.WindowOf(*main_)->IsVisible());
  other.PressHotKey(*main_, SetupRecord::ShowHotKeyId);
  EXPECT_FALSE(other.WindowOf(*main_)->IsVisible());
  main_.reset();  // before its backend goes
}

}  // namespace

// The application around the main window: its exit step, with every step of the process's
// life recorded.
class RecordingLifecycle : public AppLifecycle {
 public:
  void StartSingleInstanceChannel() override { calls.push_back("channel"); }
  bool HandOverToRunningInstance() override {
    calls.push_back("single instance");
    return another_instance;
  }
  void LoadLockState() override { calls.push_back("lock state"); }
  void StartLauncherWatcher() override { calls.push_back("launcher watcher"); }
  void StopLauncher(bool user_quit) override { calls.push_back(user_quit ? "end launcher" : "leave launcher"); }
  void RestartIfRequested() override { calls.push_back("restart if asked"); }
  void OnProcessEnd() override { calls.push_back("process end"); }

  bool another_instance = false;
  std::vector<std::string> calls;
};

TEST_F(MainWindowTest, TheExitStepEndsLauncherOnlyWhenTheUserQuitAndRemovesTheProxyOnce) {
  for (bool user_quit : {true, false}) {
    SCOPED_TRACE(user_quit ? "quit" : "ended otherwise");
    TheSetup().Exiting = false;
    ServersStopping = false;
    RecordingLifecycle lifecycle;
    CKEZOApp app({u"-h"}, lifecycle, CKEZODlg::Collaborators{&dialogs_, &forced_, &lock_, nullptr,
                                                             [](std::function<void()> work) { work(); }});
    ui_.Dispatcher().Post([&] {
      CKEZODlg& main = *app.MainDialog();
      EXPECT_FALSE(ui_.WindowOf(main)->IsVisible()) << "-h starts hidden";
      system_.removed = 0;
      if (user_quit) {
        main.HandlePrivateMessage(WM_KEZO_QUIT, 0, 0);
      } else {
        main.DestroyWindow();
      }
    });
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(lifecycle.calls, (std::vector<std::string>{"channel", "single instance", "lock state",
                                                         "launcher watcher", user_quit ? "end launcher" : "leave launcher",
                                                         "restart if asked", "process end"}));
    EXPECT_EQ(system_.removed, 1);
  }
}

TEST_F(MainWindowTest, ASecondInstanceHandsOverAndEndsWithoutAWindowOrTouchingTheProxy) {
  RecordingLifecycle lifecycle;
  lifecycle.another_instance = true;
  CKEZOApp app({}, lifecycle);
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(app.MainDialog(), nullptr);
  EXPECT_EQ(lifecycle.calls, (std::vector<std::string>{"channel", "single instance", "restart if asked", "process end"}));
  EXPECT_EQ(system_.removed, 0);
}

TEST(KezoSwitchesTest, SwitchesAreWholeArgumentsComparedWithCase) {
  const std::vector<std::u16string> arguments = {u"-H", u"--h", u"-a", u"x-h"};
  EXPECT_FALSE(CKEZOApp::HasSwitch(arguments, u"-h"));
  EXPECT_TRUE(CKEZOApp::HasSwitch(arguments, u"-a"));
  EXPECT_TRUE(CKEZOApp::HasSwitch({u"unknown", u"-h"}, u"-h"));
  EXPECT_FALSE(CKEZOApp::HasSwitch({}, u"-a"));
}
