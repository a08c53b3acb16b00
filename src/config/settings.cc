#include "config/settings.h"

#include "config/process_flags.h"
#include "config/profile_values.h"
#include "platform/clock.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;

}  // namespace

SetupRecord& TheSetup() {
  static SetupRecord record;
  return record;
}

void SetupRecord::LoadSetup() {
  SoftMode = ReadProfile(profile::kSoftMode);
  WriteProfile(profile::kSoftMode, SoftMode);
  FilterAD = ReadProfile(profile::kFilterAD);
  SafeSearch = ReadProfile(profile::kSafeSearch);
  FilterAddress = ReadProfile(profile::kFilterAddress);
  EnableHTTP = ReadProfile(profile::kEnableHTTP);
  EnableHTTPS = ReadProfile(profile::kEnableHTTPS);
  RestReminderTime = ReadProfile(profile::kRestReminderTime);
  FormPatrol = ReadProfile(profile::kFormPatrol);
  WebControl = ReadProfile(profile::kWebControl);
  ManualFilterImage = ReadProfile(profile::kManualFilterImage);
  NonePicture = ReadProfile(profile::kNonePicture);
  FilterCount = ReadProfile(profile::kFilterCount).value_or(0);
  loaded = true;
}

void SetupRecord::SaveSetup() {
  if (!loaded) return;
  WriteProfile(profile::kSoftMode, SoftMode);
  WriteProfile(profile::kFilterCount, FilterCount);
}

void SetupRecord::AddFilterCount(int n) {
  if (ServersStopping) return;
  int total = FilterCount.fetch_add(n) + n;
  if (CounterDisplay* display = counterDisplay_.load()) display->DrawCounter(total);
}

int SetupRecord::GetInstallDays() {
  int64_t now = Clock::Current().NowSeconds();
  std::optional<int32_t> stored = ReadProfile(profile::kInstallDate);
  if (!stored) {
    WriteProfile(profile::kInstallDate, static_cast<int32_t>(static_cast<uint32_t>(now)));
    return 1;
  }
  // The low 32 bits of the time, read unsigned, stay right until 2106 (a signed read
  // would jump back to 1901 in 2038). A clock set back before the first start counts as
  // the first day rather than a day number below one.
  int64_t elapsed = now - static_cast<int64_t>(static_cast<uint32_t>(*stored));
  if (elapsed < 0) return 1;
  return static_cast<int>(elapsed / kSecondsPerDay + 1);
}

int SetupRecord::CurrentJieSeTip() {
  if (jieSeTipStale.exchange(false)) JieSeTip = ReadProfile(profile::kJieSeTip);
  return JieSeTip;
}

int SetupRecord::CurrentXiuShenTip() {
  if (xiuShenTipStale.exchange(false)) XiuShenTip = ReadProfile(profile::kXiuShenTip);
  return XiuShenTip;
}

void SetupRecord::SetWebControl(int value) {
  WriteProfile(profile::kWebControl, value);
  WebControl = value;
}

void SetupRecord::SetNonePicture(int value) {
  WriteProfile(profile::kNonePicture, value);
  NonePicture = value;
}

int SetupRecord::IsOnlyWhiteList() {
  if (!onlyWhiteListRead) {
    OnlyWhiteList = ReadProfile(profile::kOnlyWhiteList);
    onlyWhiteListRead = true;
  }
  return OnlyWhiteList;
}

uint32_t HotKeyControlToRegistration(uint32_t control_modifiers) {
  constexpr uint32_t kLowBit = 0x01, kHighBit = 0x04;
  bool low = control_modifiers & kLowBit, high = control_modifiers & kHighBit;
  if (low == high) return control_modifiers;
  return (control_modifiers & ~(kLowBit | kHighBit)) | (low ? kHighBit : kLowBit);
}

ShowHotKey ReadShowHotKey() {
  uint32_t stored = static_cast<uint32_t>(ReadProfile(profile::kHotkey));
  return ShowHotKey{stored & 0xFF, HotKeyControlToRegistration((stored >> 8) & 0xFF)};
}

std::u16string ScramblePassword(std::u16string_view password) {
  std::u16string scrambled(password);
  for (char16_t& unit : scrambled) unit = static_cast<char16_t>(unit ^ 0x5A);
  return scrambled;
}
