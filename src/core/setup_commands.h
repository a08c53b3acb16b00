#pragma once

#include <optional>
#include <string>
#include <vector>

// KEZO.exe's commands for the setup program. The installer and the uninstaller cannot ask
// the running program, and must not know how the lock keeps its password, so they run
// KEZO.exe with one of these as its first argument and read its exit code:
//
//   /STOPPROGRAMS       asks KEZO, Launcher and Updater to end and waits for them (bounded;
//                       whatever is still running then is ended)
//   /CHECKUNINSTALL [/QUIET] [/PASSWORD=text]
//                       whether the forced mode and the lock allow an uninstall: without
//                       /PASSWORD= a set password is asked for in the lock's own prompt;
//                       /QUIET shows nothing (no message, no prompt)
//   /UNINSTALLCLEANUP   /STOPPROGRAMS, then switches autostart off and removes the system
//                       proxy setting
namespace setup_command {

enum Result : int {
  kDone = 0,
  kProgramsStillRunning = 2,
  kWrongPassword = 3,  // also: no password given, or the prompt was cancelled
  kForcedMode = 4,     // minutes of the forced mode remain
};

// Runs the command that `arguments` (the command line after the program name) start with;
// nullopt when they start with none, for an ordinary start.
std::optional<int> Run(const std::vector<std::u16string>& arguments);

}  // namespace setup_command
