// The Linux Launcher: keeps KEZO running (Linux has no store applications to exempt from
// the loopback block). Ends with code 0 on SIGTERM or Ctrl+C, and at once with -1 when
// another Launcher runs.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "launcher/main_program_watcher.h"
#include "platform/code_page.h"
#include "platform/instance_lock.h"
#include "platform/termination.h"

int main() {
  PrepareForTerminationRequest();
  bool existed = false;
  std::unique_ptr<InstanceLock> instance = InstanceLock::Create(u"Launcher", false, &existed);
  if (existed) return -1;

  std::thread([] {
    MainProgramWatcher::Hooks hooks;
    hooks.report = [](std::u16string_view text) { std::fprintf(stderr, "Launcher: %s\n", WideToUtf8(text).c_str()); };
    hooks.sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    MainProgramWatcher(std::move(hooks)).Run();
  }).detach();

  WaitForTerminationRequest();
  // The watcher may be waiting on KEZO; the process ends without waiting for it.
  std::fflush(stderr);
  _exit(0);
}
