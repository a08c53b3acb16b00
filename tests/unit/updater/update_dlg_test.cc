// Updater's windows on the headless backend against a local update host: which result the
// online-upgrade dialog shows (and when it shows nothing), and the installer's download,
// the quit message to the main program and the installer's start.
#include <gtest/gtest.h>

#include <filesystem>

#include "fake_desktop.h"
#include "file_text.h"
#include "framework/headless/headless_ui.h"
#include "temp_folder.h"
#include "update_server.h"
#include "platform/file_system.h"
#include "platform/instance_lock.h"
#include "updater/updater_app.h"
#include "updater/updater_resources.h"
#include "updater/updater_wnd.h"
#include "updater_resource.h"

namespace {

const std::u16string kNewerText =
    u"有更新版本!\r\n\r\n最新版本:2.1  更新日期:2026-12-01\r\n\r\n查看新版本更新内容详细。请点击下面网址：\r\n\r\n";
const std::u16string kCurrentText =
    u"当前版本:2.1.0.0\r\n\r\n您使用的是最新版本的Veltra，当前没有更新需要安装。\r\n\r\n关注更新页面,随时发现更新版本。\r\n\r\n";
const std::u16string kErrorText =
    u"当前版本:2.0\r\n\r\n检测新版本发生错误,请稍候再试。\r\n\r\n关注更新页面,随时发现更新版本。\r\n\r\n";

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

class UpdateDlgTest : public ::testing::Test {
 protected:
  UpdateDlgTest() {
    server_.Serve("/ckezo/SoftUpgrade.txt", "[Setup]\r\nVersion=2.1\r\nDate=2026-12-01\r\nUrl=" +
                                                server_.Url("/files/Veltra_setup.exe") + "\r\nDescription=a|b\r\n");
    server_.Serve("/files/Veltra_setup.exe", "MZ installer");
  }

  // Opens the hidden main window with `arguments`, as the program does.
  CUpdaterWnd& Open(const std::vector<std::u16string>& arguments) {
    main_ = std::make_unique<CUpdaterWnd>(UpdateHost(server_.Base()), ParseUpdateOptions(arguments));
    EXPECT_TRUE(main_->Create());
    return *main_;
  }
  CUpdateDlg& Dialog() { return *main_->UpdateDialog(); }
  HeadlessWindow& DialogWindow() { return *ui_.WindowOf(Dialog()); }
  std::u16string Link() { return u"<a>" + Wide(server_.Base()) + u"/soft_update</a>"; }
  bool EndedAfterPendingWork() {
    ui_.RunPendingTasks();
    return ui_.QuitRequested();
  }

  ScopedTempWorkingFolder folder_;
  UpdateServer server_;
  HeadlessUi ui_{UpdaterResources()};
  ScopedUiBackend backend_{ui_};
  FakeShell shell_;
  ScopedSeam<Shell> shell_seam_{shell_};
  FakeProcessRunner runner_;
  ScopedSeam<ProcessRunner> runner_seam_{runner_};
  FakeTopLevelWindows windows_;
  ScopedSeam<TopLevelWindows> windows_seam_{windows_};
  std::unique_ptr<CUpdaterWnd> main_;
};

TEST_F(UpdateDlgTest, ANewerReleaseIsShownEvenForAHiddenCheck) {
  Open({u"-u", u"-h", u"-v=2.0.9.9"});
  ASSERT_TRUE(Dialog().IsOpen());
  HeadlessWindow& window = DialogWindow();
  EXPECT_TRUE(window.IsVisible());
  EXPECT_EQ(window.Title(), u"Veltra 在线升级");
  EXPECT_EQ(window.Text(IDC_UPDATE_MESSAGE), kNewerText + Link());
  EXPECT_EQ(window.Text(IDC_UPDATE_BUTTON), u"安  装");
  EXPECT_FALSE(window.IsControlVisible(IDC_UPDATE_STATUS));
  EXPECT_FALSE(window.IsControlVisible(IDC_UPDATE_PROGRESS));
  EXPECT_FALSE(ui_.WindowOf(*main_)->IsVisible()) << "the main window is never shown";
  EXPECT_FALSE(EndedAfterPendingWork());
  EXPECT_EQ(server_.Count("/ckezo/SoftUpgrade.txt"), 1);
}

TEST_F(UpdateDlgTest, AHiddenCheckWithoutANewerReleaseEndsWithoutShowingAnything) {
  Open({u"-u", u"-h", u"-v=2.1.0.0"});
  EXPECT_FALSE(DialogWindow().IsVisible());
  EXPECT_TRUE(EndedAfterPendingWork());
  EXPECT_TRUE(ui_.message_boxes.empty());
}

TEST_F(UpdateDlgTest, AShownCheckTellsTheCurrentVersionOrTheErrorAndOkEnds) {
  Open({u"-u", u"-v=2.1.0.0"});
  EXPECT_TRUE(DialogWindow().IsVisible());
  EXPECT_EQ(DialogWindow().Text(IDC_UPDATE_MESSAGE), kCurrentText + Link());
  EXPECT_EQ(DialogWindow().Text(IDC_UPDATE_BUTTON), u"确定");
  EXPECT_FALSE(EndedAfterPendingWork());
  ASSERT_TRUE(ui_.Click(Dialog(), IDC_UPDATE_BUTTON));
  EXPECT_TRUE(EndedAfterPendingWork());
  EXPECT_TRUE(runner_.starts.empty());

  server_.Remove("/ckezo/SoftUpgrade.txt");
  Open({u"-u", u"-v=2.0"});
  EXPECT_EQ(Dialog().Result(), CUpdateDlg::Check::kError);
  EXPECT_EQ(DialogWindow().Text(IDC_UPDATE_MESSAGE), kErrorText + Link());
  EXPECT_EQ(DialogWindow().Text(IDC_UPDATE_BUTTON), u"确定");
}

TEST_F(UpdateDlgTest, InstallingDownloadsTheInstallerAsksTheMainProgramToQuitAndStartsIt) {
  windows_.titles = {u"Veltra_锁定"};  // the main program is locked
  Open({u"-u", u"-v=1.0"});
  server_.Hold("/files/Veltra_setup.exe");
  ASSERT_TRUE(ui_.Click(Dialog(), IDC_UPDATE_BUTTON));
  ASSERT_TRUE(server_.WaitForRequest("/files/Veltra_setup.exe"));

  HeadlessWindow& window = DialogWindow();
  EXPECT_TRUE(Dialog().Installing());
  EXPECT_EQ(window.Text(IDC_UPDATE_BUTTON), u"安装中……");
  EXPECT_FALSE(window.IsEnabled(IDC_UPDATE_BUTTON));
  EXPECT_TRUE(window.IsControlVisible(IDC_UPDATE_STATUS));
  EXPECT_EQ(window.Text(IDC_UPDATE_STATUS), u"正在下载更新……");
  EXPECT_TRUE(window.IsControlVisible(IDC_UPDATE_PROGRESS));
  ui_.SendSysCommand(Dialog(), SysCommand::kClose);
  EXPECT_TRUE(Dialog().IsOpen()) << "the dialog cannot be closed while installing";
  EXPECT_FALSE(EndedAfterPendingWork());

  server_.ReleaseHeld();
  ui_.RunTasksUntil([&] { return ui_.QuitRequested() || !ui_.message_boxes.empty(); });
  EXPECT_FALSE(Dialog().IsOpen());
  EXPECT_EQ(FileText(folder_.path() / "update.exe"), "MZ installer");
  ASSERT_EQ(windows_.posted.size(), 1u);
  EXPECT_EQ(windows_.posted[0].first, u"Veltra_锁定");
  EXPECT_EQ(windows_.posted[0].second, 0x6A3u);
  ASSERT_EQ(runner_.starts.size(), 1u);
  EXPECT_EQ(runner_.starts[0].program, "update.exe");
  EXPECT_EQ(runner_.starts[0].arguments, u"/SILENT");
  EXPECT_TRUE(runner_.starts[0].shown);
  EXPECT_EQ(shell_.opened, std::vector<std::u16string>{Wide(server_.Base()) + u"/soft_update/"});
  EXPECT_TRUE(ui_.message_boxes.empty());
}

TEST_F(UpdateDlgTest, AFailedInstallerDownloadIsReportedAndTheDialogMayThenBeClosed) {
  server_.Remove("/files/Veltra_setup.exe");
  Open({u"-u", u"-v=1.0"});
  ASSERT_TRUE(ui_.Click(Dialog(), IDC_UPDATE_BUTTON));
  ui_.RunTasksUntil([&] { return ui_.QuitRequested() || !ui_.message_boxes.empty(); });
  ASSERT_EQ(ui_.message_boxes.size(), 1u);
  EXPECT_EQ(ui_.message_boxes[0].text, u"下载发生错误!");
  EXPECT_EQ(ui_.message_boxes[0].caption, u"提示");
  EXPECT_FALSE(Dialog().Installing());
  EXPECT_FALSE(DialogWindow().IsEnabled(IDC_UPDATE_BUTTON));
  EXPECT_TRUE(runner_.starts.empty());
  EXPECT_TRUE(windows_.posted.empty());
  ui_.SendSysCommand(Dialog(), SysCommand::kClose);
  EXPECT_TRUE(EndedAfterPendingWork());
}

TEST_F(UpdateDlgTest, TheMessageLinkOpensTheUpdatePage) {
  Open({u"-u", u"-v=2.1"});
  ui_.ClickLink(Dialog(), IDC_UPDATE_MESSAGE, u"");
  EXPECT_EQ(shell_.opened, std::vector<std::u16string>{Wide(server_.Base()) + u"/soft_update"});
}

TEST_F(UpdateDlgTest, WithoutTheProgramSwitchTheMainWindowRunsTheDataUpdateAndEnds) {
  server_.Serve("/CKEZO/ConfigUpgrade.txt", "0\tData\\plain.txt\t1\t" + server_.Url("/files/Veltra_setup.exe") + "\n");
  CUpdaterWnd& main = Open({});
  EXPECT_EQ(main.UpdateDialog(), nullptr);
  ASSERT_TRUE(main.LastDataUpdate().has_value());
  EXPECT_TRUE(main.LastDataUpdate()->committed);
  EXPECT_TRUE(std::filesystem::exists(folder_.path() / "Data" / "plain.txt"));
  EXPECT_TRUE(EndedAfterPendingWork());
}

// Two Updaters at once (the data-update timer's and the next one, or the user's check)
// unpacked and deleted each other's packs.
TEST_F(UpdateDlgTest, ASecondUpdaterEndsAtOnceAndTellsOnlyAUserWhoAskedForTheDialogWhy) {
  server_.Serve("/CKEZO/ConfigUpgrade.txt", "0\tData\\plain.txt\t1\t" + server_.Url("/files/Veltra_setup.exe") + "\n");
  std::filesystem::create_directory(folder_.path() / "Data");
  ASSERT_TRUE(FileSystem::System().Replace("Data/UpdateHost.txt", server_.Base() + "\r\n"));
  auto run = [this](std::vector<std::u16string> arguments) {
    ui_.Dispatcher().Post([this] { ui_.QuitMessageLoop(0); });  // ends a run that went on
    CUpdaterApp app(std::move(arguments));
    app.Run();
    return app.MainWnd() != nullptr;
  };
  bool existed = false;
  std::unique_ptr<InstanceLock> running = InstanceLock::Create(CUpdaterApp::kInstanceName, true, &existed);
  ASSERT_NE(running, nullptr);
  ASSERT_FALSE(existed);

  EXPECT_FALSE(run({}));
  EXPECT_FALSE(run({u"-u", u"-h", u"-v=1.0"}));
  EXPECT_TRUE(ui_.message_boxes.empty()) << "the timers' runs end silently";
  EXPECT_FALSE(run({u"-u", u"-v=1.0"}));
  ASSERT_EQ(ui_.message_boxes.size(), 1u);
  EXPECT_EQ(ui_.message_boxes[0].text, u"Veltra 在线升级程序正在运行，请稍后再试。");
  EXPECT_TRUE(server_.Targets().empty());

  running.reset();
  EXPECT_TRUE(run({}));
  EXPECT_EQ(server_.Count("/CKEZO/ConfigUpgrade.txt"), 1);
}

}  // namespace
