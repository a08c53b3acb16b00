#include "core/lock_record.h"

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
