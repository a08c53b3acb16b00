#pragma once

#include <atomic>

#include "config/profile_values.h"

// A page-tip switch of SetupRecord (JieSeTip, XiuShenTip): the cached value, read again from
// `setting` first when the cache is marked stale. Any thread.
inline int CurrentTipSwitch(std::atomic<bool>& stale, std::atomic<int>& value, const IntValue& setting) {
  if (stale.exchange(false)) value = ReadProfile(setting);
  return value;
}
