#pragma once

#include <string_view>

#include "base/seam.h"

// Where the system keeps the programs it starts at log-on: a scheduled task "kezo" on
// newer Windows, else the value "kezo" of the machine-wide Run key; on POSIX the user's XDG
// autostart entry. Thread-safe.
class AutostartStore : public Seam<AutostartStore> {
 public:
  enum class Result { kDone, kAccessDenied, kFailed };

  virtual ~AutostartStore() = default;

  // Whether this system takes the scheduled task (else the start entry).
  virtual bool UsesScheduledTask() = 0;
  // The task "kezo" in the scheduler's root folder. It is created by the scheduler's
  // command from a task file (see SystemIntegration).
  virtual void DeleteTask() = 0;
  virtual bool TaskExists() = 0;

  // The start entry, which runs the program at `program_path` with `switches`. Writing it
  // also marks it approved where the system keeps such a mark. On failure `error` holds
  // the system's error number.
  virtual Result WriteEntry(std::u16string_view program_path, std::u16string_view switches, int* error) = 0;
  virtual void DeleteEntry() = 0;
  virtual bool EntryExists() = 0;

  static AutostartStore& System();
};
