#include "launcher/main_program_watcher.h"

#include <memory>

#include "platform/processes.h"

namespace {
constexpr std::u16string_view kMainProgram = u"KEZO.exe";
constexpr int kRoundPauseMs = 100;
}  // namespace

void MainProgramWatcher::Run() {
  Processes& processes = Processes::Current();
  int failed_starts = 0;
  while (!hooks_.stop_requested()) {
    hooks_.sleep(failed_starts == 0 ? kRoundPauseMs : kFirstBackOffMs << (failed_starts - 1));
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
    const auto started_at = hooks_.now();
    started->Wait();
    failed_starts = hooks_.now() - started_at < kShortRun ? failed_starts + 1 : 0;
    if (failed_starts == kFailedStartsBeforeGivingUp) {
      hooks_.report(u"KEZO 每次启动后很快就结束了，已停止自动重新启动。请检查它的错误信息后再手动启动。");
      return;
    }
  }
}
