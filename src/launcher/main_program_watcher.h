#pragma once

#include <functional>
#include <string_view>

// Keeps the main program running: every time it has ended (or was not running), starts
// KEZO.exe from this program's folder, shown normally, and waits for it. A running
// instance found on the way is waited for instead. Stops only when the main program cannot
// be started, after saying so.
class MainProgramWatcher {
 public:
  struct Hooks {
    // Shows a message to the user and returns once it is dismissed.
    std::function<void(std::u16string_view)> report;
    // Sleeps the given milliseconds.
    std::function<void(int)> sleep;
    // Asked before each round; true ends the watching (nobody asks in the product).
    std::function<bool()> stop_requested = [] { return false; };
  };

  explicit MainProgramWatcher(Hooks hooks) : hooks_(std::move(hooks)) {}

  // Watches on the calling thread until the main program cannot be started or a stop is
  // requested.
  void Run();

 private:
  Hooks hooks_;
};
