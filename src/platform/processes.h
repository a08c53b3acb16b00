#pragma once

#include <memory>
#include <string_view>

#include "base/seam.h"

// A process the program watches: any thread may wait for its end while another ends it.
class WatchedProcess {
 public:
  virtual ~WatchedProcess() = default;
  // Blocks until the process has ended.
  virtual void Wait() = 0;
  // Ends the process with `exit_code` (on POSIX: asks it to end).
  virtual void Terminate(int exit_code) = 0;
};

// Finding, starting and restarting the programs of the program folder. Image names are the
// Windows file names ("KEZO.exe"); on POSIX the ".exe" is left off. Thread-safe.
class Processes : public Seam<Processes> {
 public:
  enum class OpenResult { kOpened, kNotRunning, kAccessDenied, kFailed };

  virtual ~Processes() = default;

  // A running process other than this one whose image name is `image_name` (compared
  // without regard to case), opened to be waited for and ended; null with the reason in
  // `result` otherwise. Only the program file of this program's folder counts, and on
  // Linux only when run by the same user.
  virtual std::unique_ptr<WatchedProcess> OpenRunning(std::u16string_view image_name, OpenResult* result) = 0;
  // Starts `image_name` from this program's folder, with that folder as its working folder,
  // shown normally or hidden; null when it cannot be started.
  virtual std::unique_ptr<WatchedProcess> StartFromProgramFolder(std::u16string_view image_name, bool hidden) = 0;
  // Starts this program's own file again from its folder, shown normally; `elevated` asks
  // the system for administrator rights first (Windows' "runas"). Returns whether it started.
  virtual bool RestartSelf(bool elevated) = 0;

  static Processes& System();
};
