#include "core/app_lifecycle.h"
#include "core/forced_mode.h"
#include "core/lock_control.h"
#include "config/lock_record.h"
#include "core/main_window_dialogs.h"
#include "config/profile_values.h"
#include "core/window_patrol_control.h"

MainWindowDialogs& MainWindowDialogs::None() {
  static MainWindowDialogs none;
  return none;
}

ForcedMode& ForcedMode::None() {
  static ForcedMode none;
  return none;
}

WindowPatrolControl& WindowPatrolControl::None() {
  static WindowPatrolControl none;
  return none;
}

AppLifecycle& AppLifecycle::None() {
  static AppLifecycle none;
  return none;
}

bool LockControl::HasPassword() { return !TheLockRecord().PASSWORD.empty(); }

bool LockControl::IsLocked() { return HasPassword() && TheLockRecord().LOCKED != 0; }

void LockControl::LockNow() {
  LockRecord& record = TheLockRecord();
  record.LOCKED = 1;
  if (record.loaded) {
    WriteProfile(profile::kLOCKED, 1);
    WriteProfile(profile::kPASSWORD, record.PASSWORD);
  }
}

void LockControl::Unlock() {
  LockRecord& record = TheLockRecord();
  record.LOCKED = 0;
  if (record.loaded) {
    WriteProfile(profile::kLOCKED, 0);
    WriteProfile(profile::kPASSWORD, record.PASSWORD);
  }
}

LockControl& LockControl::Default() {
  static LockControl control;
  return control;
}
