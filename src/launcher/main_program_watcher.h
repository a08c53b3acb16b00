#pragma once

#include <chrono>
#include <functional>
#include <string_view>

// Keeps the main program running: every time it has ended (or was not running), starts
// KEZO.exe from this program's folder, shown normally, and waits for it. A running
// instance found on the way is waited for instead. A main program that ends within seconds
// of its start is started again after a pause that doubles each time; after a few such
// starts in a row the watcher says so once and stops, so that a program that cannot start
// never becomes a loop. It stops too when the main program cannot be started at all.
class MainProgramWatcher {
 public:
  struct Hooks {
    // Shows a message to the user and returns once it is dismissed.
    std::function<void(std::u16string_view)> report;
    // Sleeps the given milliseconds.
    std::function<void(int)> sleep;
    // Asked before each round; true ends the watching (nobody asks in the product).
    std::function<bool()> stop_requested = [] { return false; };
    // The time a started program's run is measured by.
    std::function<std::chrono::steady_clock::time_point()> now = [] { return std::chrono::steady_clock::now(); };
  };

  explicit MainProgramWatcher(Hooks hooks) : hooks_(std::move(hooks)) {}

  // A run shorter than this counts as a failed start.
  static constexpr std::chrono::seconds kShortRun{10};
  // Failed starts in a row after which the watcher gives up.
  static constexpr int kFailedStartsBeforeGivingUp = 5;
  // The pause before the start that follows the first failed one; it doubles after each.
  static constexpr int kFirstBackOffMs = 1000;

  // Watches on the calling thread until the main program cannot be started, keeps failing
  // at its start, or a stop is requested.
  void Run();

 private:
  Hooks hooks_;
};
