#include "core/launcher_watcher.h"

#include <chrono>
#include <thread>

#include "platform/processes.h"

namespace {
constexpr std::u16string_view kLauncher = u"Launcher.exe";
}  // namespace

struct LauncherWatcher::State {
  std::mutex mu;
  bool stop = false;
  std::shared_ptr<WatchedProcess> watched;

  // Makes `process` the watched one; false (and the process ended) once stopped, so that a
  // Launcher started while the stop came is not left running.
  bool Watch(std::shared_ptr<WatchedProcess> process) {
    std::lock_guard lock(mu);
    if (stop) {
      process->Terminate(0);
      return false;
    }
    watched = std::move(process);
    return true;
  }
  bool Stopped() {
    std::lock_guard lock(mu);
    return stop;
  }
};

LauncherWatcher::LauncherWatcher(int retry_pause_ms)
    : state_(std::make_shared<State>()), retry_pause_ms_(retry_pause_ms) {}

void LauncherWatcher::Start() {
  std::thread([state = state_, pause = retry_pause_ms_] {
    Processes::OpenResult result;
    std::shared_ptr<WatchedProcess> running = Processes::Current().OpenRunning(kLauncher, &result);
    if (running != nullptr && state->Watch(running)) running->Wait();
    while (!state->Stopped()) {
      std::shared_ptr<WatchedProcess> started = Processes::Current().StartFromProgramFolder(kLauncher, true);
      if (started == nullptr) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        continue;
      }
      if (!state->Watch(started)) break;
      started->Wait();
    }
  }).detach();
}

void LauncherWatcher::StopAndTerminate() {
  std::lock_guard lock(state_->mu);
  state_->stop = true;
  if (state_->watched != nullptr) state_->watched->Terminate(0);
}
