#pragma once

// The password lock as the main window meets it. User-interface thread.
//
// The default implementation works on TheLockRecord(): a program has a password when the
// record holds one, and LockNow/Unlock change LOCKED and write it when the lock state was
// loaded from the profile.
class LockControl {
 public:
  virtual ~LockControl() = default;

  virtual bool HasPassword();
  virtual bool IsLocked();
  virtual void LockNow();
  virtual void Unlock();

  static LockControl& Default();
};
