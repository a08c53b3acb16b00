#include "config/lock_record.h"

#include "config/profile_values.h"
#include "config/settings.h"

LockRecord::LockRecord()
    : lockDelayChoices{{0, u"立即锁定系统"},
                       {3, u"延迟 3 分钟后锁定"},
                       {10, u"延迟 10 分钟后锁定"},
                       {30, u"延迟 30 分钟后锁定"},
                       {60, u"延迟 1 小时后锁定"},
                       {180, u"延迟 3 小时后锁定"}} {}

LockRecord& TheLockRecord() {
  static LockRecord record;
  return record;
}

void LoadLockState() {
  LockRecord& record = TheLockRecord();
  record.PASSWORD = ReadProfile(profile::kPASSWORD);
  record.LOCKED = record.PASSWORD.empty() ? 0 : ReadProfile(profile::kLOCKED);
  record.loaded = true;
}

void SaveLockState() {
  LockRecord& record = TheLockRecord();
  if (!record.loaded) return;
  WriteProfile(profile::kLOCKED, record.LOCKED.load());
  WriteProfile(profile::kPASSWORD, record.PASSWORD);
}

bool SetPassword(std::u16string_view password) {
  if (password.size() < kMinPasswordUnits || password.size() > kMaxPasswordUnits) return false;
  std::u16string scrambled = ScramblePassword(password);
  if (!WriteProfile(profile::kPASSWORD, scrambled)) return false;
  TheLockRecord().PASSWORD = std::move(scrambled);
  return true;
}

void ClearPassword() {
  LockRecord& record = TheLockRecord();
  record.LOCKED = 0;
  record.PASSWORD.clear();
  WriteProfile(profile::kLOCKED, 0);
  WriteProfile(profile::kPASSWORD, u"");
}

bool CheckPassword(std::u16string_view password) {
  return !password.empty() && ScramblePassword(password) == TheLockRecord().PASSWORD;
}
