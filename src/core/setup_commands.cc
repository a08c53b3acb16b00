#include "core/setup_commands.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <string_view>
#include <thread>

#include "base/text_format.h"
#include "config/lock_record.h"
#include "config/profile_values.h"
#include "config/settings.h"
#include "core/forced_mode.h"
#include "core/kezo_dlg.h"
#include "core/system_integration.h"
#include "core/verify_password_dlg.h"
#include "framework/application.h"
#include "framework/dialog.h"
#include "framework/ui_backend.h"
#include "platform/processes.h"
#include "platform/top_level_windows.h"

namespace setup_command {
namespace {

using std::chrono::seconds;

struct Program {
  std::u16string_view image;
  seconds patience;  // how long it may take to end once asked
};
// KEZO ends Launcher itself on the quit message, so Launcher gets only a moment more; a
// Launcher left running would start KEZO again.
constexpr Program kPrograms[] = {{u"KEZO.exe", seconds(20)}, {u"Launcher.exe", seconds(5)}, {u"Updater.exe", seconds(20)}};
// Launcher may restart a KEZO that was ended in the meantime: a few rounds catch it.
constexpr int kRounds = 4;

// The requests the program update makes: the quit message to the main window (by either
// title), and the close request to Updater's window.
void AskProgramsToEnd() {
  TopLevelWindows& windows = TopLevelWindows::Current();
  if (!windows.PostPrivateMessage(u"Veltra", WM_KEZO_QUIT)) windows.PostPrivateMessage(u"Veltra_锁定", WM_KEZO_QUIT);
  windows.PostClose(u"Updater");
}

// Waits up to `patience` for `process` to end, then ends it. A process that cannot be ended
// either is given up on after a few more seconds, its waiting thread left to the process end.
void WaitOrEnd(std::unique_ptr<WatchedProcess> opened, seconds patience) {
  std::shared_ptr<WatchedProcess> process = std::move(opened);
  auto ended = std::make_shared<std::promise<void>>();
  std::future<void> done = ended->get_future();
  std::thread([process, ended] {
    process->Wait();
    ended->set_value();
  }).detach();
  if (done.wait_for(patience) == std::future_status::ready) return;
  process->Terminate(1);
  done.wait_for(seconds(5));
}

int StopPrograms() {
  Processes& processes = Processes::Current();
  for (int round = 0; round < kRounds; ++round) {
    AskProgramsToEnd();
    bool any_running = false;
    for (const Program& program : kPrograms) {
      Processes::OpenResult result;
      std::unique_ptr<WatchedProcess> process = processes.OpenRunning(program.image, &result);
      if (result == Processes::OpenResult::kNotRunning) continue;
      any_running = true;
      if (process != nullptr) WaitOrEnd(std::move(process), program.patience);
    }
    if (!any_running) return kDone;
  }
  return kProgramsStillRunning;
}

std::optional<std::u16string> OptionValue(const std::vector<std::u16string>& arguments, std::u16string_view option) {
  for (const std::u16string& argument : arguments) {
    if (argument.starts_with(option)) return argument.substr(option.size());
  }
  return std::nullopt;
}

int CheckUninstall(const std::vector<std::u16string>& arguments) {
  bool quiet = std::find(arguments.begin(), arguments.end(), u"/QUIET") != arguments.end();
  // The forced mode binds the program while its view is shown and minutes remain.
  if (int left = ReadProfile(profile::kTimeRemaining); ReadProfile(profile::kSoftMode) == 1 && left > 0) {
    if (!quiet) Ui().ShowMessageBox(MessageBoxRequest{WithNumber(kForcedModeTimeLeft, left), ApplicationTitle()}, nullptr);
    return kForcedMode;
  }
  LoadLockState();
  if (TheLockRecord().PASSWORD.empty()) return kDone;
  if (std::optional<std::u16string> password = OptionValue(arguments, u"/PASSWORD=")) {
    return CheckPassword(*password) ? kDone : kWrongPassword;
  }
  if (quiet) return kWrongPassword;
  return CVerifyPasswordDlg().DoModal() == kIdOk ? kDone : kWrongPassword;
}

int UninstallCleanup() {
  int stopped = StopPrograms();
  SystemIntegration& system = SystemIntegration::Current();
  system.SetAutostart(false);
  system.FinishAutostartChanges();  // the change runs on a worker that would die with this process
  system.RemoveSystemProxy();
  return stopped;
}

}  // namespace

std::optional<int> Run(const std::vector<std::u16string>& arguments) {
  if (arguments.empty()) return std::nullopt;
  const std::u16string& command = arguments.front();
  if (command != u"/STOPPROGRAMS" && command != u"/CHECKUNINSTALL" && command != u"/UNINSTALLCLEANUP") {
    return std::nullopt;
  }
  CApplication application(u"Veltra");  // the caption of the messages
  if (command == u"/STOPPROGRAMS") return StopPrograms();
  if (command == u"/CHECKUNINSTALL") return CheckUninstall(arguments);
  return UninstallCleanup();
}

}  // namespace setup_command
