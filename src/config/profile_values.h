#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Every value of the program's profile with its section, name, type and default. Read and
// write them through the functions below, which go to ProfileStore::Current().

struct IntValue {
  std::string_view section;
  std::string_view name;
  int32_t fallback;
};
struct StringValue {
  std::string_view section;
  std::string_view name;
  std::u16string_view fallback;
};
// A 4-byte little-endian integer stored as a blob; absent until first written.
struct BinaryValue {
  std::string_view section;
  std::string_view name;
};

inline constexpr std::string_view kSetupSection = "Setup";
inline constexpr std::string_view kJieSeSection = "JieSe";
inline constexpr std::string_view kUserWebTipSection = "UserWebTip";

namespace profile {

// Section "Setup".
inline constexpr IntValue kSoftMode{kSetupSection, "SoftMode", 0};  // 0 counter, 1 forced mode, 2 self-cultivation
inline constexpr BinaryValue kFilterCount{kSetupSection, "FilterCount"};
inline constexpr IntValue kFilterAD{kSetupSection, "FilterAD", 0};
// Requests for the big search engines and video sites go to their safe-search addresses.
inline constexpr IntValue kSafeSearch{kSetupSection, "SafeSearch", 1};
inline constexpr IntValue kFilterAddress{kSetupSection, "FilterAddress", 1};
inline constexpr IntValue kEnableHTTP{kSetupSection, "EnableHTTP", 1};
inline constexpr IntValue kEnableHTTPS{kSetupSection, "EnableHTTPS", 1};
inline constexpr IntValue kRestReminderTime{kSetupSection, "RestReminderTime", 0};  // hours 0..3, 0 = off
inline constexpr IntValue kFormPatrol{kSetupSection, "FormPatrol", 0};
inline constexpr IntValue kWebControl{kSetupSection, "WebControl", 1};
inline constexpr IntValue kManualFilterImage{kSetupSection, "ManualFilterImage", 1};
inline constexpr IntValue kNonePicture{kSetupSection, "NonePicture", 0};  // 0 shown, 1 none anywhere, 2 listed sites
inline constexpr IntValue kOnlyWhiteList{kSetupSection, "OnlyWhiteList", 0};
inline constexpr IntValue kPowerfullFiltering{kSetupSection, "PowerfullFiltering", 1};
inline constexpr IntValue kAutoClearIECookies{kSetupSection, "AutoClearIECookies", 0};
inline constexpr BinaryValue kInstallDate{kSetupSection, "InstallDate"};  // seconds since 1970, low 32 bits
inline constexpr IntValue kSKCalendarEnabled{kSetupSection, "SKCalendarEnabled", 0};
inline constexpr IntValue kJieSeTip{kSetupSection, "JieSeTip", 0};
inline constexpr IntValue kXiuShenTip{kSetupSection, "XiuShenTip", 1};
inline constexpr IntValue kShowNotifyIcon{kSetupSection, "ShowNotifyIcon", 1};
inline constexpr IntValue kMainCloseButtonIsHideForm{kSetupSection, "MainCloseButtonIsHideForm", 1};
inline constexpr IntValue kHotkey{kSetupSection, "Hotkey", 583};  // low byte key, high byte modifiers; Ctrl+G
inline constexpr IntValue kIntelligentMonitor{kSetupSection, "IntelligentMonitor", 2};  // 0 strict .. 3 off
inline constexpr IntValue kIntelligentMonitorTip{kSetupSection, "IntelligentMonitorTip", 1};
inline constexpr IntValue kFirstRun{kSetupSection, "FirstRun", 0};
inline constexpr IntValue kRunAsAdmin{kSetupSection, "RunAsAdmin", 0};
inline constexpr IntValue kHttpPort{kSetupSection, "HttpPort", 809};
inline constexpr IntValue kProxyPort{kSetupSection, "ProxyPort", 9090};
inline constexpr IntValue kUDPPort{kSetupSection, "UDPPort", 0};
inline constexpr IntValue kLOCKDELAY{kSetupSection, "LOCKDELAY", 0};  // minutes: 0, 3, 10, 30, 60, 180
inline constexpr IntValue kLOCKED{kSetupSection, "LOCKED", 0};
inline constexpr StringValue kPASSWORD{kSetupSection, "PASSWORD", u""};  // scrambled; empty = none

// Section "JieSe".
inline constexpr IntValue kTimeRemaining{kJieSeSection, "TimeRemaining", 0};  // minutes

// Section "UserWebTip". Colours are COLORREF values, 0x00BBGGRR.
inline constexpr IntValue kUserColor{kUserWebTipSection, "UserColor", 0x000000};
inline constexpr IntValue kUserBackgroundColor{kUserWebTipSection, "UserBackgroundColor", 0xFFFFFF};
inline constexpr IntValue kUserBorderColor{kUserWebTipSection, "UserBorderColor", 0xEAAA6D};
inline constexpr StringValue kUserFont{kUserWebTipSection, "UserFont", u"宋体"};
inline constexpr IntValue kUserFontSize{kUserWebTipSection, "UserFontSize", 12};
inline constexpr IntValue kUserFontWeight{kUserWebTipSection, "UserFontWeight", 400};

}  // namespace profile

int32_t ReadProfile(const IntValue& value);
std::u16string ReadProfile(const StringValue& value);
// The stored integer, or nullopt when the value is absent or holds other than 4 bytes.
std::optional<int32_t> ReadProfile(const BinaryValue& value);

bool WriteProfile(const IntValue& value, int32_t data);
bool WriteProfile(const StringValue& value, std::u16string_view data);
bool WriteProfile(const BinaryValue& value, int32_t data);
