#pragma once

#include <atomic>
#include <string>
#include <vector>

// One choice of delay between hiding the main window and locking the program.
struct LockDelayChoice {
  int minutes;
  std::u16string label;
};

// The lock state of the program. Used on the user-interface thread, except `LOCKED`, which
// other threads may read.
struct LockRecord {
  LockRecord();

  std::vector<LockDelayChoice> lockDelayChoices;  // the six delays, in menu order
  bool loaded = false;                            // read from the profile; written back at exit only then
  std::atomic<int> LOCKED{0};
  std::u16string PASSWORD;                        // scrambled form; empty = no password
};

// The process-wide record.
LockRecord& TheLockRecord();
