#include "platform/win32/registry_profile_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "config/lock_record.h"
#include "config/profile_values.h"
#include "config/settings.h"
#include "platform/win32/wide_text.h"

namespace {

// Runs against the real registry of the test's private Wine prefix (or Windows user), in a
// key of its own that it removes before and after.
class RegistryProfileTest : public ::testing::Test {
 protected:
  void SetUp() override { RemoveTestKey(); }
  void TearDown() override { RemoveTestKey(); }
  void RemoveTestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Solvane\\VeltraTest"); }

  // The raw registry type and bytes of a value.
  std::pair<DWORD, std::vector<BYTE>> Raw(const wchar_t* section, const wchar_t* name) {
    std::wstring key = std::wstring(L"Software\\Solvane\\VeltraTest\\") + section;
    DWORD type = 0, size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      return {REG_NONE, {}};
    }
    std::vector<BYTE> data(size);
    RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size);
    data.resize(size);
    return {type, data};
  }

  RegistryProfileStore store_{u"Solvane", u"VeltraTest"};
};

TEST_F(RegistryProfileTest, ValuesAreStoredWithTheirRegistryTypes) {
  ASSERT_TRUE(store_.WriteInt("Setup", "FilterAD", -2));
  ASSERT_TRUE(store_.WriteString("UserWebTip", "UserFont", u"宋体"));
  ASSERT_TRUE(store_.WriteBinary("Setup", "FilterCount", {0x2a, 0, 0, 0}));

  EXPECT_EQ(Raw(L"Setup", L"FilterAD"), (std::pair<DWORD, std::vector<BYTE>>{REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF}}));
  auto font = Raw(L"UserWebTip", L"UserFont");
  EXPECT_EQ(font.first, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(font.second, (std::vector<BYTE>{0x8B, 0x5B, 0x53, 0x4F, 0, 0}));
  EXPECT_EQ(Raw(L"Setup", L"FilterCount"), (std::pair<DWORD, std::vector<BYTE>>{REG_BINARY, {0x2a, 0, 0, 0}}));

  EXPECT_EQ(store_.GetInt("setup", "filterad", 0), -2) << "names ignore case, as the registry does";
  EXPECT_EQ(store_.GetString("UserWebTip", "UserFont", u""), u"宋体");
  EXPECT_EQ(store_.GetBinary("Setup", "FilterCount"), (std::vector<uint8_t>{0x2a, 0, 0, 0}));
}

// A password with "Z" scrambles to a NUL unit: the stored string must come back whole after
// a restart, or the program starts unlocked ("Z...") or opens to a prefix ("ab" of "abZ123").
TEST_F(RegistryProfileTest, PasswordsHoldingANulUnitSurviveARestartWhole) {
  ScopedSeam<ProfileStore> seam(store_);
  for (std::u16string password : {u"Zab123", u"abZ123", u"abc12Z"}) {
    ASSERT_TRUE(SetPassword(password));
    RegistryProfileStore restarted{u"Solvane", u"VeltraTest"};
    ScopedSeam<ProfileStore> after_restart(restarted);
    LoadLockState();
    EXPECT_EQ(TheLockRecord().PASSWORD.size(), password.size());
    EXPECT_TRUE(CheckPassword(password));
    EXPECT_FALSE(CheckPassword(password.substr(0, password.find(u'Z'))));
  }
  ClearPassword();
}

TEST_F(RegistryProfileTest, MissingOrMistypedValuesGiveTheDefault) {
  EXPECT_EQ(store_.GetInt("Setup", "HttpPort", 809), 809) << "no key at all";
  EXPECT_EQ(store_.GetString("Setup", "PASSWORD", u"none"), u"none");
  EXPECT_EQ(store_.GetBinary("Setup", "InstallDate"), std::nullopt);
  ASSERT_TRUE(store_.WriteString("Setup", "HttpPort", u"80"));
  EXPECT_EQ(store_.GetInt("Setup", "HttpPort", 809), 809);
  EXPECT_EQ(store_.GetBinary("Setup", "HttpPort"), std::nullopt);
}

TEST_F(RegistryProfileTest, SettingsReadThroughTheRegistryTreatABinaryOfAnotherLengthAsAbsent) {
  ScopedSeam<ProfileStore> seam(store_);
  ASSERT_TRUE(store_.WriteBinary("Setup", "FilterCount", {7, 0, 0}));
  SetupRecord setup;
  setup.LoadSetup();
  EXPECT_EQ(setup.FilterCount, 0);
  EXPECT_EQ(ReadProfile(profile::kSoftMode), 0) << "created by the load";
  EXPECT_EQ(Raw(L"Setup", L"SoftMode").first, static_cast<DWORD>(REG_DWORD));

  setup.AddFilterCount(300);
  setup.SaveSetup();
  EXPECT_EQ(Raw(L"Setup", L"FilterCount"), (std::pair<DWORD, std::vector<BYTE>>{REG_BINARY, {0x2C, 0x01, 0, 0}}));
}

TEST(SystemProfileTest, TheProgramsProfileLiesUnderTheMakersKey) {
  auto* registry = dynamic_cast<RegistryProfileStore*>(&ProfileStore::System());
  ASSERT_NE(registry, nullptr);
  EXPECT_EQ(registry->SectionKey("JieSe"), u"Software\\Solvane\\Veltra\\JieSe");
}

}  // namespace
