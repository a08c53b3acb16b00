// KEZO.exe's commands for the setup program, with the real lock record and prompt on a
// profile in memory, and fakes for the other programs and the system settings.
#include "core/setup_commands.h"

#include <gtest/gtest.h>

#include "config/lock_record.h"
#include "config/profile_values.h"
#include "config/settings.h"
#include "core/kezo_dlg.h"
#include "core/kezo_resources.h"
#include "dialog_scripts.h"
#include "fake_desktop.h"
#include "fake_processes.h"
#include "memory_profile_store.h"
#include "recording_system_integration.h"
#include "resource.h"

namespace {

using Opened = Processes::OpenResult;

class SetupCommandsTest : public ::testing::Test {
 protected:
  ~SetupCommandsTest() override {
    TheLockRecord().PASSWORD.clear();
    TheLockRecord().LOCKED = 0;
  }
  int Run(std::vector<std::u16string> arguments) { return setup_command::Run(arguments).value_or(-1); }

  MemoryProfileStore profile_;
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  FakeProcesses processes_;
  ScopedSeam<Processes> processes_seam_{processes_};
  FakeTopLevelWindows windows_;
  ScopedSeam<TopLevelWindows> windows_seam_{windows_};
  RecordingSystemIntegration system_;
  ScopedSeam<SystemIntegration> system_seam_{system_};
  HeadlessUi ui_{KezoResources()};
  ScopedUiBackend installed_{ui_};
  DialogScripts scripts_{ui_};
};

TEST_F(SetupCommandsTest, AnOrdinaryCommandLineIsNoSetupCommand) {
  EXPECT_EQ(setup_command::Run({}), std::nullopt);
  EXPECT_EQ(setup_command::Run({u"-h"}), std::nullopt);
  EXPECT_EQ(setup_command::Run({u"-a", u"/STOPPROGRAMS"}), std::nullopt) << "only as the first argument";
  EXPECT_TRUE(processes_.events.empty());
}

TEST_F(SetupCommandsTest, StoppingAsksTheProgramsAsTheProgramUpdateDoesAndWaitsUntilNoneRuns) {
  for (const char16_t* title : {u"Veltra", u"Veltra_锁定"}) {
    windows_.posted.clear();
    windows_.closed.clear();
    processes_.events.clear();
    windows_.titles = {title, u"Updater"};
    // KEZO and Launcher run at the first look, nothing at the second.
    processes_.running = {Opened::kOpened, Opened::kOpened, Opened::kNotRunning};
    EXPECT_EQ(Run({u"/STOPPROGRAMS"}), setup_command::kDone);
    ASSERT_FALSE(windows_.posted.empty());
    EXPECT_EQ(windows_.posted.front(), std::make_pair(std::u16string(title), WM_KEZO_QUIT));
    EXPECT_EQ(windows_.closed.front(), u"Updater");
    EXPECT_EQ(processes_.events, (std::vector<std::string>{"open KEZO.exe", "open Launcher.exe", "open Updater.exe",
                                                           "open KEZO.exe", "open Launcher.exe", "open Updater.exe"}));
  }
}

TEST_F(SetupCommandsTest, AProgramThatCannotBeWaitedForIsReportedAfterAFewRounds) {
  processes_.running.assign(12, Opened::kAccessDenied);
  EXPECT_EQ(Run({u"/STOPPROGRAMS"}), setup_command::kProgramsStillRunning);
  EXPECT_EQ(processes_.events.size(), 12u) << "four rounds of three, then it gives up";
}

TEST_F(SetupCommandsTest, TheUninstallCheckFollowsTheForcedModeAndTheLock) {
  struct Case {
    const char* name;
    int soft_mode;
    int minutes_left;
    const char16_t* password;  // stored; empty for none
    std::vector<std::u16string> arguments;
    int expected;
  } cases[] = {
      {"forced mode with minutes left", 1, 30, u"", {u"/QUIET"}, setup_command::kForcedMode},
      {"forced mode before the password", 1, 1, u"secret1", {u"/QUIET", u"/PASSWORD=secret1"}, setup_command::kForcedMode},
      {"forced mode whose time is up", 1, 0, u"", {u"/QUIET"}, setup_command::kDone},
      {"minutes left outside the forced view", 0, 30, u"", {u"/QUIET"}, setup_command::kDone},
      {"no password", 0, 0, u"", {u"/QUIET"}, setup_command::kDone},
      {"the right password", 0, 0, u"secret1", {u"/QUIET", u"/PASSWORD=secret1"}, setup_command::kDone},
      {"another case", 0, 0, u"secret1", {u"/QUIET", u"/PASSWORD=Secret1"}, setup_command::kWrongPassword},
      {"a prefix of it", 0, 0, u"secret1", {u"/PASSWORD=secret"}, setup_command::kWrongPassword},
      {"an empty one", 0, 0, u"secret1", {u"/PASSWORD="}, setup_command::kWrongPassword},
      {"none given, quietly", 0, 0, u"secret1", {u"/QUIET"}, setup_command::kWrongPassword},
  };
  for (const Case& test : cases) {
    WriteProfile(profile::kSoftMode, test.soft_mode);
    WriteProfile(profile::kTimeRemaining, test.minutes_left);
    WriteProfile(profile::kPASSWORD, *test.password ? ScramblePassword(test.password) : u"");
    std::vector<std::u16string> arguments{u"/CHECKUNINSTALL"};
    arguments.insert(arguments.end(), test.arguments.begin(), test.arguments.end());
    EXPECT_EQ(Run(arguments), test.expected) << test.name;
  }
  EXPECT_TRUE(ui_.message_boxes.empty()) << "nothing is shown";
  EXPECT_TRUE(system_.autostart.empty() && system_.removed == 0) << "a check changes nothing";
}

TEST_F(SetupCommandsTest, ShownTheForcedModeRefusalNamesTheMinutesLeft) {
  WriteProfile(profile::kSoftMode, 1);
  WriteProfile(profile::kTimeRemaining, 95);
  EXPECT_EQ(Run({u"/CHECKUNINSTALL"}), setup_command::kForcedMode);
  ASSERT_EQ(ui_.message_boxes.size(), 1u);
  EXPECT_EQ(ui_.message_boxes[0].text, u"您当前处于【强制戒色模式】，剩余时间 95 分钟。");
  EXPECT_EQ(ui_.message_boxes[0].caption, u"Veltra");
}

TEST_F(SetupCommandsTest, WithoutAPasswordGivenTheLocksPromptAsksForIt) {
  WriteProfile(profile::kPASSWORD, ScramblePassword(u"secret1"));
  ui_.on_message_box = [](const MessageBoxRequest&) { return kIdOk; };
  auto answer = [this](std::u16string password) {
    return [this, password](CDialog& dialog) {
      ui_.Type(dialog, IDC_PASSWORD, password);
      ui_.Click(dialog, kIdOk);
    };
  };
  scripts_.Add(IDD_VERIFY_PASSWORD, answer(u"secret1"));
  EXPECT_EQ(Run({u"/CHECKUNINSTALL"}), setup_command::kDone);

  // A wrong one keeps the prompt open; leaving it refuses.
  scripts_.Add(IDD_VERIFY_PASSWORD, [&](CDialog& dialog) {
    answer(u"wrong12")(dialog);
    ui_.Click(dialog, kIdCancel);
  });
  EXPECT_EQ(Run({u"/CHECKUNINSTALL"}), setup_command::kWrongPassword);
  EXPECT_TRUE(scripts_.AllRun());
  ASSERT_EQ(ui_.message_boxes.size(), 1u);
  EXPECT_EQ(ui_.message_boxes[0].text, u"您输入的密码不正确，请重新输入！");
}

TEST_F(SetupCommandsTest, TheCleanupStopsTheProgramsThenSwitchesAutostartOffAndRemovesTheProxy) {
  windows_.titles = {u"Veltra"};
  processes_.running = {Opened::kOpened};
  EXPECT_EQ(Run({u"/UNINSTALLCLEANUP"}), setup_command::kDone);
  EXPECT_EQ(windows_.posted.size(), 2u) << "asked in each of the two rounds";
  EXPECT_EQ(system_.autostart, std::vector<bool>{false});
  EXPECT_EQ(system_.removed, 1);
}

}  // namespace
