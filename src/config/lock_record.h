#pragma once

#include <atomic>
#include <string>
#include <string_view>
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

// Operations on TheLockRecord(); user-interface thread.
inline constexpr size_t kMinPasswordUnits = 6;
inline constexpr size_t kMaxPasswordUnits = 12;
// Reads PASSWORD and, when there is one, LOCKED (else 0); marks the record loaded.
void LoadLockState();
// Writes LOCKED and PASSWORD when the record was loaded.
void SaveLockState();
// Stores the scrambled password when it has 6 to 12 units and the profile took it;
// LOCKED stays as it is.
bool SetPassword(std::u16string_view password);
// No password and unlocked, in the record and the profile.
void ClearPassword();
// Whether a non-empty `password` is the stored one (exact, unit by unit).
bool CheckPassword(std::u16string_view password);
