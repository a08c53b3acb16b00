#include "launcher/main_program_watcher.h"

#include <memory>

#include "platform/processes.h"

namespace {
constexpr std::u16string_view kMainProgram = u"KEZO.exe";
constexpr int kRoundPauseMs = 100;
}  // namespace

void MainProgramWatcher::Run() {
  Processes& processes = Processes::Current();
  while (!hooks_.stop_requested()) {
    hooks_.sleep(kRoundPauseMs);
    Processes::OpenResult result;
    if (std::unique_ptr<WatchedProcess> running = processes.OpenRunning(kMainProgram, &result)) {
      running->Wait();
    } else if (result == Processes::OpenResult::kAccessDenied) {
      hooks_.report(u"权限不够");
    } else if (result == Processes::OpenResult::kFailed) {
      hooks_.report(u"未知错误");
    }
    if (hooks_.stop_requested()) break;
    std::unique_ptr<WatchedProcess> started = processes.StartFromProgramFolder(kMainProgram, false);
    if (started == nullptr) {
      hooks_.report(u"创建进程失败");
      return;
    }
    started->Wait();
  }
}
