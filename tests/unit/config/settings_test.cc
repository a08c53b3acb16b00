#include "config/settings.h"

#include <gtest/gtest.h>

#include "config/process_flags.h"
#include "config/profile_values.h"
#include "fake_clock.h"
#include "memory_profile_store.h"

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() { ServersStopping = false; }

  MemoryProfileStore profile_;
  FakeClock clock_;
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  ScopedSeam<Clock> clock_seam_{clock_};
  SetupRecord setup_;
};

TEST_F(SettingsTest, AnEmptyProfileReadsTheDefaultOfEveryValue) {
  const IntValue ints[] = {
      profile::kSoftMode, profile::kFilterAD, profile::kFilterAddress, profile::kEnableHTTP,
      profile::kEnableHTTPS, profile::kRestReminderTime, profile::kFormPatrol, profile::kWebControl,
      profile::kManualFilterImage, profile::kNonePicture, profile::kOnlyWhiteList,
      profile::kPowerfullFiltering, profile::kAutoClearIECookies, profile::kSKCalendarEnabled,
      profile::kJieSeTip, profile::kXiuShenTip, profile::kShowNotifyIcon,
      profile::kMainCloseButtonIsHideForm, profile::kHotkey, profile::kIntelligentMonitor,
      profile::kIntelligentMonitorTip, profile::kFirstRun, profile::kRunAsAdmin, profile::kHttpPort,
      profile::kProxyPort, profile::kUDPPort, profile::kLOCKDELAY, profile::kLOCKED,
      profile::kTimeRemaining, profile::kUserColor, profile::kUserBackgroundColor,
      profile::kUserBorderColor, profile::kUserFontSize, profile::kUserFontWeight};
  const int32_t defaults[] = {0, 0, 1, 1, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 1, 1, 1, 583, 2, 1, 0, 0, 809, 9090,
                              0, 0, 0, 0, 0, 0xFFFFFF, 0xEAAA6D, 12, 400};
  static_assert(std::size(ints) == std::size(defaults));
  for (size_t i = 0; i < std::size(ints); ++i) EXPECT_EQ(ReadProfile(ints[i]), defaults[i]) << ints[i].name;
  EXPECT_EQ(ReadProfile(profile::kPASSWORD), u"");
  EXPECT_EQ(ReadProfile(profile::kUserFont), u"宋体");
  EXPECT_EQ(ReadProfile(profile::kFilterCount), std::nullopt);
  EXPECT_EQ(ReadProfile(profile::kInstallDate), std::nullopt);
  EXPECT_EQ(profile_.Size(), 0u) << "reading creates nothing";
}

TEST_F(SettingsTest, LoadSetupFillsTheCachesAndCreatesSoftMode) {
  setup_.SaveSetup();
  EXPECT_EQ(profile_.Size(), 0u) << "nothing is saved before the first load";

  WriteProfile(profile::kFilterAD, 1);
  WriteProfile(profile::kEnableHTTPS, 0);
  WriteProfile(profile::kNonePicture, 2);
  WriteProfile(profile::kFilterCount, 1234567);
  setup_.LoadSetup();
  EXPECT_TRUE(profile_.Has("Setup", "SoftMode"));
  EXPECT_EQ(setup_.FilterAD, 1);
  EXPECT_EQ(setup_.FilterAddress, 1);
  EXPECT_EQ(setup_.EnableHTTP, 1);
  EXPECT_EQ(setup_.EnableHTTPS, 0);
  EXPECT_EQ(setup_.WebControl, 1);
  EXPECT_EQ(setup_.ManualFilterImage, 1);
  EXPECT_EQ(setup_.NonePicture, 2);
  EXPECT_EQ(setup_.FilterCount, 1234567);

  setup_.SoftMode = 2;
  setup_.AddFilterCount(3);
  setup_.SaveSetup();
  EXPECT_EQ(ReadProfile(profile::kSoftMode), 2);
  EXPECT_EQ(ReadProfile(profile::kFilterCount), 1234570);
}

TEST_F(SettingsTest, ABinaryOfAnotherLengthCountsAsAbsent) {
  profile_.WriteBinary("Setup", "FilterCount", {1, 2, 3});
  setup_.LoadSetup();
  EXPECT_EQ(setup_.FilterCount, 0);
  profile_.WriteBinary("Setup", "FilterCount", {1, 0, 0, 0, 9});
  EXPECT_EQ(ReadProfile(profile::kFilterCount), std::nullopt);
}

class RecordingDisplay : public CounterDisplay {
 public:
  void DrawCounter(int total) override { totals.push_back(total); }
  std::vector<int> totals;
};

TEST_F(SettingsTest, TheCounterGrowsAndRedrawsUntilTheServersStop) {
  RecordingDisplay display;
  setup_.SetCounterDisplay(&display);
  setup_.AddFilterCount(2);
  setup_.AddFilterCount(5);
  ServersStopping = true;
  setup_.AddFilterCount(100);
  ServersStopping = false;
  EXPECT_EQ(setup_.FilterCount, 7);
  EXPECT_EQ(display.totals, (std::vector<int>{2, 7}));
}

TEST_F(SettingsTest, InstallDaysCountFromTheFirstStart) {
  clock_.SetNow(1800000000);
  EXPECT_EQ(setup_.GetInstallDays(), 1);
  EXPECT_EQ(ReadProfile(profile::kInstallDate), 1800000000);
  struct Case {
    int64_t elapsed;
    int day;
  } cases[] = {{0, 1}, {86399, 1}, {86400, 2}, {10 * 86400 + 5, 11}, {-3 * 86400, 1}};
  for (const Case& c : cases) {
    clock_.SetNow(1800000000 + c.elapsed);
    EXPECT_EQ(setup_.GetInstallDays(), c.day) << c.elapsed;
  }
}

TEST_F(SettingsTest, InstallDaysStayRightPastTheYear2038) {
  const int64_t first_start = int64_t{1} << 31;  // 2038-01-19, stored as the low 32 bits
  clock_.SetNow(first_start);
  setup_.GetInstallDays();
  clock_.SetNow(first_start + 2 * 86400);
  EXPECT_EQ(setup_.GetInstallDays(), 3);
}

TEST_F(SettingsTest, SettersWriteTheProfileAndTheCache) {
  setup_.SetWebControl(0);
  setup_.SetNonePicture(1);
  EXPECT_EQ(setup_.WebControl, 0);
  EXPECT_EQ(setup_.NonePicture, 1);
  EXPECT_EQ(ReadProfile(profile::kWebControl), 0);
  EXPECT_EQ(ReadProfile(profile::kNonePicture), 1);
}

TEST_F(SettingsTest, OnlyWhiteListIsReadOnceUntilTheFilterPageSaves) {
  WriteProfile(profile::kOnlyWhiteList, 1);
  EXPECT_EQ(setup_.IsOnlyWhiteList(), 1);
  WriteProfile(profile::kOnlyWhiteList, 0);
  EXPECT_EQ(setup_.IsOnlyWhiteList(), 1);
  setup_.onlyWhiteListRead = false;
  EXPECT_EQ(setup_.IsOnlyWhiteList(), 0);
}

TEST_F(SettingsTest, TheHotKeyControlsShiftAndAltBitsAreSwappedForRegistration) {
  struct Case {
    int stored;
    uint32_t key, modifiers;
  } cases[] = {{583, 'G', 0x02}, {0x0447, 'G', 0x01}, {0x0147, 'G', 0x04}, {0x0547, 'G', 0x05},
               {0x0E41, 'A', 0x0B}, {0x0B41, 'A', 0x0E}};
  for (const Case& c : cases) {
    WriteProfile(profile::kHotkey, c.stored);
    ShowHotKey key = ReadShowHotKey();
    EXPECT_EQ(key.virtual_key, c.key) << c.stored;
    EXPECT_EQ(key.modifiers, c.modifiers) << c.stored;
  }
}

TEST(PasswordTest, ScramblingFlipsTheLowBitsOfEachUnitAndIsItsOwnInverse) {
  EXPECT_EQ(ScramblePassword(u"abc123"), u";89khi");
  EXPECT_EQ(ScramblePassword(u"密码"), std::u16string({char16_t(0x5BC6 ^ 0x5A), char16_t(0x7801 ^ 0x5A)}));
  EXPECT_EQ(ScramblePassword(ScramblePassword(u"密码abc")), u"密码abc");
}

}  // namespace
