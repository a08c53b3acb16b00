// The two programs that keep each other running, and Launcher's loopback exemptions.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/launcher_watcher.h"
#include "fake_processes.h"
#include "launcher/loopback_exempter.h"
#include "launcher/main_program_watcher.h"
#include "platform/app_containers.h"

namespace {

bool WaitUntil(const std::function<bool()>& condition) {
  for (int i = 0; i < 500 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return condition();
}

TEST(LauncherWatcherTest, StartsLauncherHiddenAgainEachTimeItEndsUntilTheUserQuits) {
  FakeProcesses processes;
  ScopedSeam<Processes> seam(processes);
  LauncherWatcher watcher(1);
  watcher.Start();
  ASSERT_TRUE(WaitUntil([&] { return processes.StartCount() == 1; }));
  processes.Started(0)->End();  // ended from outside
  ASSERT_TRUE(WaitUntil([&] { return processes.StartCount() == 2; }));

  watcher.StopAndTerminate();
  EXPECT_EQ(processes.Started(1)->terminated_with, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(processes.StartCount(), 2u) << "nothing is started after the stop";
  EXPECT_EQ(processes.events[0], "open Launcher.exe");
  EXPECT_EQ(processes.events[1], "start Launcher.exe hidden");
}

TEST(MainProgramWatcherTest, RestartsTheMainProgramShownAndStopsOnlyWhenItCannotStartIt) {
  FakeProcesses processes;
  ScopedSeam<Processes> seam(processes);
  processes.running = {Processes::OpenResult::kOpened, Processes::OpenResult::kAccessDenied,
                       Processes::OpenResult::kFailed};
  processes.starts_end_at_once = true;
  std::vector<std::string> reports;
  int sleeps = 0;
  MainProgramWatcher::Hooks hooks;
  hooks.report = [&](std::u16string_view text) {
    reports.push_back(WideToUtf8(text));
    if (reports.size() == 2) processes.starts_fail = true;
  };
  hooks.sleep = [&](int ms) {
    EXPECT_EQ(ms, 100);
    ++sleeps;
  };
  auto clock = std::chrono::steady_clock::time_point();
  hooks.now = [&] { return clock += std::chrono::minutes(1); };  // every run is a long one
  MainProgramWatcher(hooks).Run();

  EXPECT_EQ(processes.events,
            (std::vector<std::string>{"open KEZO.exe", "start KEZO.exe shown", "open KEZO.exe", "start KEZO.exe shown",
                                      "open KEZO.exe", "start KEZO.exe shown"}));
  EXPECT_EQ(reports, (std::vector<std::string>{"权限不够", "未知错误", "创建进程失败"}));
  EXPECT_EQ(sleeps, 3);
}

TEST(MainProgramWatcherTest, BacksOffFromAProgramThatEndsRightAfterEachStartAndThenGivesUpOnce) {
  FakeProcesses processes;
  ScopedSeam<Processes> seam(processes);
  processes.starts_end_at_once = true;
  std::vector<std::string> reports;
  std::vector<int> sleeps;
  // The third run lasts a minute: it resets the count, so five short runs follow it.
  auto clock = std::chrono::steady_clock::time_point();
  int reads = 0;
  MainProgramWatcher::Hooks hooks;
  hooks.report = [&](std::u16string_view text) { reports.push_back(WideToUtf8(text)); };
  hooks.sleep = [&](int ms) { sleeps.push_back(ms); };
  hooks.now = [&] { return clock += ++reads == 6 ? std::chrono::minutes(1) : std::chrono::seconds(1); };
  MainProgramWatcher(hooks).Run();

  EXPECT_EQ(processes.StartCount(), 8u);
  EXPECT_EQ(sleeps, (std::vector<int>{100, 1000, 2000, 100, 1000, 2000, 4000, 8000}));
  ASSERT_EQ(reports.size(), 1u) << "one message, then no more starts";
  EXPECT_NE(reports[0].find("已停止自动重新启动"), std::string::npos);
}

class FakeAppContainers : public AppContainers {
 public:
  bool Supported() override { return supported; }
  std::optional<std::vector<std::u16string>> List() override { return containers; }
  std::u16string SystemDirectory() override { return u"C:\\windows\\system32"; }
  void RunTool(std::u16string_view tool, std::u16string_view parameters) override {
    runs.push_back(WideToUtf8(tool) + "|" + WideToUtf8(parameters));
  }
  bool supported = true;
  std::optional<std::vector<std::u16string>> containers;
  std::vector<std::string> runs;
};

TEST(LoopbackExempterTest, ClearsThenExemptsEachContainerTwoMinutesAfterTheStart) {
  FakeAppContainers system;
  ScopedSeam<AppContainers> seam(system);
  system.containers = std::vector<std::u16string>{u"S-1-15-2-1", u"S-1-15-2-2", u"S-1-15-2-3"};
  std::vector<int> sleeps;
  LoopbackExempter([&](int ms) { sleeps.push_back(ms); }).Run();
  EXPECT_EQ(system.runs, (std::vector<std::string>{
                             "CheckNetIsolation.exe| LoopbackExempt -c",
                             "C:\\windows\\system32\\CheckNetIsolation.exe| LoopbackExempt -a -p=S-1-15-2-1",
                             "C:\\windows\\system32\\CheckNetIsolation.exe| LoopbackExempt -a -p=S-1-15-2-2",
                             "C:\\windows\\system32\\CheckNetIsolation.exe| LoopbackExempt -a -p=S-1-15-2-3",
                         }));
  EXPECT_EQ(sleeps, (std::vector<int>{120000, 50, 50, 50}));

  system.runs.clear();
  system.containers.reset();  // the key cannot be opened: the clear has run all the same
  LoopbackExempter([](int) {}).Run();
  EXPECT_EQ(system.runs, (std::vector<std::string>{"CheckNetIsolation.exe| LoopbackExempt -c"}));

  system.runs.clear();
  system.supported = false;
  LoopbackExempter([](int) { FAIL() << "no wait on a system without containers"; }).Run();
  EXPECT_TRUE(system.runs.empty());
}

}  // namespace
