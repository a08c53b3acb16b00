#pragma once

#include <memory>
#include <mutex>

class WatchedProcess;

// Keeps the companion program Launcher running: waits on a running Launcher if there is
// one, then starts it hidden from the program folder again each time it ends, until
// stopped. Its thread lives as long as the process; it shares only this object's state.
class LauncherWatcher {
 public:
  // `retry_pause_ms`: the pause after a failed start before the next try.
  explicit LauncherWatcher(int retry_pause_ms = 1000);

  void Start();
  // Sets the stop flag and ends the watched Launcher (exit code 0), so it does not start
  // the main program again. Any thread.
  void StopAndTerminate();

 private:
  struct State;
  std::shared_ptr<State> state_;
  int retry_pause_ms_;
};
