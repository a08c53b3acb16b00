#include "core/desktop_integration.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <future>

#include "config/process_flags.h"
#include "core/kezo_resources.h"
#include "framework/headless/headless_ui.h"
#include "platform/autostart_store.h"
#include "platform/code_page.h"
#include "platform/command_runner.h"
#include "platform/file_system.h"
#include "platform/program_file.h"
#include "platform/proxy_setting.h"
#include "temp_folder.h"

namespace {

class FakeProxySetting : public ProxySetting {
 public:
  bool PointAtLocalProxy(std::u16string_view server_text, uint16_t port, std::u16string_view bypass,
                         int* error) override {
    server = server_text;
    this->bypass = bypass;
    *error = 87;
    return accept;
  }
  void SetDirectWithAutoDetect() override { ++direct; }
  void SwitchOffAtSessionEnd() override { ++switched_off; }

  bool accept = true;
  std::u16string server;
  std::u16string bypass;
  int direct = 0;
  int switched_off = 0;
};

class FakeAutostartStore : public AutostartStore {
 public:
  bool UsesScheduledTask() override { return task_system; }
  void DeleteTask() override { calls.push_back("delete task"); }
  bool TaskExists() override { return task; }
  Result WriteEntry(std::u16string_view program_path, std::u16string_view switches, int* error) override {
    calls.push_back("write entry " + WideToUtf8(switches));
    *error = 1234;
    return write_result;
  }
  void DeleteEntry() override { calls.push_back("delete entry"); }
  bool EntryExists() override { return entry; }

  bool task_system = true;
  bool task = false;
  bool entry = false;
  Result write_result = Result::kDone;
  std::vector<std::string> calls;
};

// Records each command with the task file as it stood while the command ran.
class FakeCommandRunner : public CommandRunner {
 public:
  bool Available(std::string_view program) override { return true; }
  std::optional<int> Run(const std::vector<std::u16string>& words, int timeout_ms) override {
    commands.push_back(words);
    task_file_seen = FileSystem::Current().ReadAll("startup2.xml");
    if (hold.valid()) hold.wait_for(std::chrono::seconds(30));  // bounded, for a faulty build
    finished = true;
    return 0;
  }
  std::vector<std::vector<std::u16string>> commands;
  std::optional<std::string> task_file_seen;
  std::shared_future<void> hold;  // the command runs until it is ready
  std::atomic<bool> finished{false};
};

std::string Utf16Le(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

class DesktopIntegrationTest : public ::testing::Test {
 protected:
  void WriteFile(const std::string& name, const std::string& bytes) { std::ofstream(folder_.path() / name) << bytes; }

  ScopedTempWorkingFolder folder_;
  FakeProxySetting proxy_;
  ScopedSeam<ProxySetting> proxy_seam_{proxy_};
  FakeAutostartStore store_;
  ScopedSeam<AutostartStore> store_seam_{store_};
  FakeCommandRunner runner_;
  ScopedSeam<CommandRunner> runner_seam_{runner_};
  HeadlessUi ui_{KezoResources()};
  ScopedUiBackend installed_{ui_};
  DesktopIntegration desktop_;
};

TEST_F(DesktopIntegrationTest, RegistersTheLocalProxyWithTheBypassListCutToTheOptionsBuffer) {
  EXPECT_EQ(ProxyServerText(9090), u"http=127.0.0.1:9090;https=127.0.0.1:9090");

  desktop_.RegisterSystemProxy(9090);  // no bypass file
  EXPECT_EQ(proxy_.server, u"http=127.0.0.1:9090;https=127.0.0.1:9090");
  EXPECT_EQ(proxy_.bypass, u"");

  WriteFile("Data/SuperWhiteList.txt", "localhost;127.*;" + std::string(3000, 'a'));
  desktop_.RegisterSystemProxy(8123);
  EXPECT_EQ(proxy_.bypass.size(), kMaxBypassUnits);
  EXPECT_TRUE(proxy_.bypass.starts_with(u"localhost;127.*;aaa"));

  testing::internal::CaptureStdout();
  proxy_.accept = false;
  desktop_.RegisterSystemProxy(8123);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "InternetSetOption failed! (87)\n");
}

TEST_F(DesktopIntegrationTest, TheSessionEndSwitchesTheProxyOffOnceAndMarksItRestored) {
  ProxyRestored = false;
  desktop_.RemoveSystemProxy();
  EXPECT_EQ(proxy_.direct, 1);
  EXPECT_FALSE(ProxyRestored);
  desktop_.RemoveSystemProxyAtSessionEnd();
  EXPECT_EQ(proxy_.switched_off, 1);
  EXPECT_TRUE(ProxyRestored);
  ProxyRestored = false;
}

TEST_F(DesktopIntegrationTest, TheTaskTemplateGetsOnlyTheFirstOfEachPlaceholder) {
  const std::u16string path = u"C:\\Program Files\\Veltra\\KEZO.exe";
  const std::u16string folder = u"C:\\Program Files\\Veltra";
  std::u16string xml = u"<Command>APPPATH</Command><Arguments>-h</Arguments><WorkingDirectory>WORKPATH"
                       u"</WorkingDirectory><!-- APPPATH WORKPATH -->";
  std::u16string filled = u"<Command>\"C:\\Program Files\\Veltra\\KEZO.exe\"</Command><Arguments>-h</Arguments>"
                          u"<WorkingDirectory>C:\\Program Files\\Veltra</WorkingDirectory><!-- APPPATH WORKPATH -->";
  EXPECT_EQ(FillStartupTemplate(Utf16Le(xml), path, folder), Utf16Le(filled)) << "UTF-16 stays UTF-16";
  EXPECT_EQ(FillStartupTemplate(WideToUtf8(xml), path, folder), WideToUtf8(filled));
  EXPECT_EQ(FillStartupTemplate("no placeholders", path, folder), "no placeholders");
}

TEST_F(DesktopIntegrationTest, AutostartOnATaskSystemRegistersTheTaskAndLeavesNoStartEntry) {
  WriteFile("startup.xml", Utf16Le(u"<Exec><Command>APPPATH</Command><WorkingDirectory>WORKPATH</WorkingDirectory>"));
  desktop_.SetAutostart(true);
  ASSERT_TRUE(desktop_.WaitForAutostartChanges(std::chrono::seconds(30)));

  ASSERT_EQ(runner_.commands.size(), 1u);
  EXPECT_EQ(runner_.commands[0],
            (std::vector<std::u16string>{u"schtasks", u"/create", u"/tn", u"kezo", u"/xml", u"startup2.xml", u"/f"}));
  ASSERT_TRUE(runner_.task_file_seen.has_value()) << "the task file stands while the command runs";
  std::u16string program = ProgramFilePath();
  EXPECT_EQ(*runner_.task_file_seen, FillStartupTemplate(Utf16Le(u"<Exec><Command>APPPATH</Command><WorkingDirectory>"
                                                                 u"WORKPATH</WorkingDirectory>"),
                                                         program, program.substr(0, program.find_last_of(u"\\/"))));
  EXPECT_FALSE(FileSystem::Current().Exists("startup2.xml")) << "and goes once the command has ended";
  EXPECT_EQ(store_.calls, (std::vector<std::string>{"delete entry"}));

  store_.calls.clear();
  desktop_.SetAutostart(false);
  ASSERT_TRUE(desktop_.WaitForAutostartChanges(std::chrono::seconds(30)));
  EXPECT_EQ(store_.calls, (std::vector<std::string>{"delete task", "delete entry"}));
}

// The scheduler's command ran on the window's thread for up to a minute, at every start of
// the forced mode and at the program's end.
TEST_F(DesktopIntegrationTest, TheWindowDoesNotWaitWhileTheSchedulerRunsAndChangesKeepTheirOrder) {
  WriteFile("startup.xml", Utf16Le(u"<Exec><Command>APPPATH</Command></Exec>"));
  std::promise<void> release;
  runner_.hold = release.get_future().share();
  desktop_.SetAutostart(true);
  desktop_.SetAutostart(false);
  EXPECT_FALSE(runner_.finished) << "returned while the command runs";
  release.set_value();
  ASSERT_TRUE(desktop_.WaitForAutostartChanges(std::chrono::seconds(30)));
  EXPECT_TRUE(runner_.finished);
  EXPECT_EQ(store_.calls, (std::vector<std::string>{"delete entry", "delete task", "delete entry"}));
}

TEST_F(DesktopIntegrationTest, AutostartOnATaskSystemWithoutATemplateRunsNoCommand) {
  desktop_.SetAutostart(true);
  ASSERT_TRUE(desktop_.WaitForAutostartChanges(std::chrono::seconds(30)));
  EXPECT_TRUE(runner_.commands.empty());
  EXPECT_EQ(store_.calls, (std::vector<std::string>{"delete entry"}));
}

TEST_F(DesktopIntegrationTest, AutostartOnAnOlderSystemWritesTheStartEntryAndReportsFailures) {
  store_.task_system = false;
  desktop_.SetAutostart(true);
  EXPECT_EQ(store_.calls, (std::vector<std::string>{"write entry -h"}));
  EXPECT_TRUE(ui_.message_boxes.empty());

  store_.write_result = AutostartStore::Result::kAccessDenied;
  desktop_.SetAutostart(true);
  store_.write_result = AutostartStore::Result::kFailed;
  desktop_.SetAutostart(true);
  ASSERT_EQ(ui_.message_boxes.size(), 2u);
  EXPECT_EQ(ui_.message_boxes[0].text,
            u"操作失败，权限不够。\n请关闭程序后使用鼠标右键【以管理员身份运行】重新启动软件。");
  EXPECT_EQ(ui_.message_boxes[1].text, u"设置开启启动发生错误。ErrCode:1234");
  EXPECT_TRUE(runner_.commands.empty());
}

TEST_F(DesktopIntegrationTest, AutostartIsReadFromTheMechanismOfTheSystem) {
  store_.entry = true;
  store_.task = false;
  EXPECT_FALSE(desktop_.IsAutostartOn()) << "a task deleted by hand is off, whatever start entry remains";
  store_.task = true;
  EXPECT_TRUE(desktop_.IsAutostartOn());
  store_.task_system = false;
  EXPECT_TRUE(desktop_.IsAutostartOn());
  store_.entry = false;
  EXPECT_FALSE(desktop_.IsAutostartOn());
}

}  // namespace
