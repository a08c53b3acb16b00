#include "platform/posix/ini_profile_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "config/lock_record.h"
#include "temp_folder.h"

namespace {

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class IniProfileStoreTest : public ::testing::Test {
 protected:
  ScopedTempWorkingFolder folder_;
  std::filesystem::path file_ = folder_.path() / "config" / "Veltra" / "Veltra.ini";
  IniProfileStore store_{file_.string()};
};

TEST_F(IniProfileStoreTest, ValuesOfEveryTypeComeBackAndTheFileReadsPlainly) {
  std::vector<uint8_t> blob{0x2a, 0x00, 0xff, 0x10};
  ASSERT_TRUE(store_.WriteInt("Setup", "FilterAD", 1));
  ASSERT_TRUE(store_.WriteInt("Setup", "Negative", -5));
  ASSERT_TRUE(store_.WriteBinary("Setup", "FilterCount", blob));
  ASSERT_TRUE(store_.WriteString("UserWebTip", "UserFont", u"宋体 a\\b\nc\r"));

  EXPECT_EQ(store_.GetInt("Setup", "FilterAD", 0), 1);
  EXPECT_EQ(store_.GetInt("Setup", "Negative", 0), -5);
  EXPECT_EQ(store_.GetBinary("Setup", "FilterCount"), blob);
  EXPECT_EQ(store_.GetString("UserWebTip", "UserFont", u""), u"宋体 a\\b\nc\r");
  EXPECT_EQ(ReadText(file_),
            "[Setup]\nFilterAD=dword:1\nNegative=dword:-5\nFilterCount=hex:2a00ff10\n\n"
            "[UserWebTip]\nUserFont=sz:\xE5\xAE\x8B\xE4\xBD\x93 a\\\\b\\nc\\r\n");

  IniProfileStore reopened(file_.string());
  EXPECT_EQ(reopened.GetString("UserWebTip", "UserFont", u""), u"宋体 a\\b\nc\r");
}

// A password with "Z" scrambles to a NUL unit: the stored string must come back whole after
// a restart, or the program starts unlocked ("Z...") or opens to a prefix ("ab" of "abZ123").
TEST_F(IniProfileStoreTest, PasswordsHoldingANulUnitSurviveARestartWhole) {
  ScopedSeam<ProfileStore> seam(store_);
  for (std::u16string password : {u"Zab123", u"abZ123", u"abc12Z"}) {
    ASSERT_TRUE(SetPassword(password));
    IniProfileStore restarted(file_.string());
    ScopedSeam<ProfileStore> after_restart(restarted);
    LoadLockState();
    EXPECT_EQ(TheLockRecord().PASSWORD.size(), password.size());
    EXPECT_TRUE(CheckPassword(password));
    EXPECT_FALSE(CheckPassword(password.substr(0, password.find(u'Z'))));
  }
  ClearPassword();
}

TEST_F(IniProfileStoreTest, MissingOrMistypedValuesGiveTheDefault) {
  EXPECT_EQ(store_.GetInt("Setup", "HttpPort", 809), 809) << "no file yet";
  ASSERT_TRUE(store_.WriteString("Setup", "HttpPort", u"80"));
  EXPECT_EQ(store_.GetInt("Setup", "HttpPort", 809), 809);
  EXPECT_EQ(store_.GetBinary("Setup", "HttpPort"), std::nullopt);
  EXPECT_EQ(store_.GetString("JieSe", "HttpPort", u"none"), u"none") << "other section";
}

TEST_F(IniProfileStoreTest, NamesAreFoundWhateverTheirCase) {
  ASSERT_TRUE(store_.WriteInt("Setup", "LOCKDELAY", 3));
  ASSERT_TRUE(store_.WriteInt("setup", "lockdelay", 10));
  EXPECT_EQ(store_.GetInt("SETUP", "LockDelay", 0), 10);
  EXPECT_EQ(ReadText(file_), "[Setup]\nLOCKDELAY=dword:10\n");
}

TEST_F(IniProfileStoreTest, HandEditsAreReadAndDamagedLinesSkipped) {
  ASSERT_TRUE(store_.WriteInt("Setup", "FilterAD", 0));
  WriteText(file_,
            "; edited by hand\r\n"
            "[Setup]\r\n"
            "  FilterAD = dword:1\r\n"
            "Broken=dword:12x\r\n"
            "NoType=7\r\n"
            "BadHex=hex:abc\r\n"
            "BadEscape=sz:a\\qb\r\n"
            "Huge=dword:4294967295\r\n"
            "TooHuge=dword:4294967296\r\n"
            "Text=sz: kept spaces \r\n");
  EXPECT_EQ(store_.GetInt("Setup", "FilterAD", 0), 1);
  for (const char* name : {"Broken", "NoType", "BadHex", "BadEscape", "TooHuge"}) {
    EXPECT_EQ(store_.GetInt("Setup", name, 77), 77) << name;
    EXPECT_EQ(store_.GetBinary("Setup", name), std::nullopt) << name;
    EXPECT_EQ(store_.GetString("Setup", name, u"-"), u"-") << name;
  }
  EXPECT_EQ(store_.GetInt("Setup", "Huge", 0), -1) << "a dword is 32 bits";
  EXPECT_EQ(store_.GetString("Setup", "Text", u""), u" kept spaces ");
}

TEST_F(IniProfileStoreTest, AWriteThatCannotBeStoredReportsFailureAndChangesNothing) {
  ASSERT_TRUE(store_.WriteInt("Setup", "FilterAD", 1));
  // A file standing where the profile's folder should be.
  std::filesystem::path blocked = folder_.path() / "blocked";
  WriteText(blocked, "");
  IniProfileStore unwritable((blocked / "Veltra.ini").string());
  EXPECT_FALSE(unwritable.WriteInt("Setup", "FilterAD", 1));
  EXPECT_EQ(unwritable.GetInt("Setup", "FilterAD", 0), 0);
}

TEST(IniProfileStorePathTest, ProfileFolderFollowsTheEnvironment) {
  std::string saved_home = getenv("HOME") ? getenv("HOME") : "";
  unsetenv("KEZO_PROFILE_DIR");
  setenv("XDG_CONFIG_HOME", "/xdg", 1);
  EXPECT_EQ(IniProfileStore::DefaultPath(), "/xdg/Solvane/Veltra/Veltra.ini");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ(IniProfileStore::DefaultPath(), "/home/u/.config/Solvane/Veltra/Veltra.ini");
  setenv("KEZO_PROFILE_DIR", "/profile", 1);
  EXPECT_EQ(IniProfileStore::DefaultPath(), "/profile/Veltra.ini");
  unsetenv("KEZO_PROFILE_DIR");
  setenv("HOME", saved_home.c_str(), 1);
}

}  // namespace
