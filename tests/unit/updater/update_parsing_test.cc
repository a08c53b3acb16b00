// The updater's readings of its inputs: the command line, the version comparison, the
// program descriptor and the data-pack descriptor, and which pack names may be written.
#include <gtest/gtest.h>

#include "updater/data_pack.h"
#include "updater/program_release.h"
#include "updater/update_options.h"

namespace {

TEST(VersionComparisonTest, ComparesUpToFourNumericParts) {
  struct Case {
    const char* offered;
    const char* installed;
    bool newer;
  };
  const Case cases[] = {
      {"2.1", "2.0.9.9", true},
      {"2.1.0.0", "2.1", false},   // missing parts are 0: equal is not newer
      {"10.0", "9.9", true},       // numeric, not textual
      {"9.9", "10.0", false},
      {"1.0.0.2", "1.0.0.10", false},
      {"1.0.0.10", "1.0.0.2", true},
      {"1", "", true},             // no caller version: any non-zero version is newer
      {"0", "", false},
      {"", "", false},
      {"0.0.0.1", "", true},
      {"1.2.3.4.9", "1.2.3.4", false},  // a fifth part is not read
      {"2a.1", "2.0", true},       // leading digits only
      {"x.5", "0.4", true},        // no digits: 0
      {"1.0", "1.0beta", false},
      {"99999999999999999999", "1", true},  // huge numbers saturate instead of wrapping
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNewerVersion(c.offered, c.installed), c.newer) << c.offered << " vs " << c.installed;
  }
}

TEST(UpdateOptionsTest, ReadsSwitchesAndTheVersionArgument) {
  struct Case {
    std::vector<std::u16string> arguments;
    bool hidden;
    bool program_update;
    std::u16string version;
  };
  const Case cases[] = {
      {{}, false, false, u""},
      {{u"-u", u"-h", u"-v=1.0.0.1"}, true, true, u"1.0.0.1"},
      {{u"-u", u"-v=2.0"}, false, true, u"2.0"},
      {{u"-U", u"-H"}, false, false, u""},               // case-sensitive
      {{u"-uh"}, false, false, u""},                     // exact words only
      {{u"-v="}, false, false, u""},                     // no characters
      {{u"-v=123456789012345"}, false, false, u"123456789012345"},  // 15: kept
      {{u"-v=1234567890123456"}, false, false, u""},     // 16: malformed, empty
      {{u"-v2.0"}, false, false, u""},                   // no "=": malformed
      {{u"x-v=2.0"}, false, false, u""},                 // does not start with "-v="
      {{u"-v=1.0", u"-v="}, false, false, u""},          // the last one wins
  };
  for (const Case& c : cases) {
    UpdateOptions options = ParseUpdateOptions(c.arguments);
    std::string shown;
    for (const auto& argument : c.arguments) shown += std::string(argument.begin(), argument.end()) + " ";
    EXPECT_EQ(options.hidden, c.hidden) << shown;
    EXPECT_EQ(options.program_update, c.program_update) << shown;
    EXPECT_EQ(options.version, c.version) << shown;
  }
}

TEST(ProgramReleaseTest, ReadsSetupKeysAsPrivateProfileFunctionsDo) {
  ProgramRelease release = ReadProgramRelease(
      "; the newest release\r\n"
      "[Other]\r\nVersion=9.9\r\n"
      "[setup]\r\n"
      "  version = 2.1.0.3  \r\n"
      "Date=\"2026-12-01\"\r\n"
      "Url=http://host.example/Veltra_setup.exe\r\n"
      "Description=faster|safer\r\n"
      "[Setup]\r\nVersion=7.7\r\n");
  EXPECT_EQ(release.version, "2.1.0.3");
  EXPECT_EQ(release.date, "2026-12-01");
  EXPECT_EQ(release.url, "http://host.example/Veltra_setup.exe");
  EXPECT_EQ(release.description, "faster\r\nsafer");

  ProgramRelease cut = ReadProgramRelease("[Setup]\nVersion=1.2.3.4.5.6.7.8.9\nDate=" + std::string(40, 'd'));
  EXPECT_EQ(cut.version, "1.2.3.4.5.6.7.8");
  EXPECT_EQ(cut.date.size(), 31u);
  EXPECT_EQ(cut.url, "");

  EXPECT_EQ(ReadProgramRelease("<html>not found</html>").version, "");
}

TEST(DataPackParsingTest, ReadsTabSeparatedFieldsAndSkipsCommentsAndShortLines) {
  std::vector<DataPack> packs = ParseDataPacks(
      "; packs of 2026-12\n"
      "1\tdata.7z\t3\thttp://h/data.7z\tData\\word.kezo\t1\n"
      "0\t\tData\\a.txt\t\t2\t\thttp://h/a.txt\n"  // empty fields are skipped
      "0\tonly\tthree\n"
      "\n"
      "2\tData\\b.txt\t1\thttp://h/b.txt\r\n"
      "x\tData\\c.txt\t1\thttp://h/c.txt\tp\t7\n");
  ASSERT_EQ(packs.size(), 4u);
  EXPECT_EQ(packs[0].position, 1);
  EXPECT_TRUE(packs[0].archive);
  EXPECT_EQ(packs[0].file_name, "data.7z");
  EXPECT_EQ(packs[0].version, "3");
  EXPECT_EQ(packs[0].address, "http://h/data.7z");
  EXPECT_EQ(packs[0].local_path, "Data\\word.kezo");
  EXPECT_EQ(packs[0].second_flag, 1);

  EXPECT_FALSE(packs[1].archive);
  EXPECT_EQ(packs[1].file_name, "Data\\a.txt");
  EXPECT_EQ(packs[1].version, "2");
  EXPECT_EQ(packs[1].address, "http://h/a.txt");
  EXPECT_EQ(packs[1].local_path, "");

  EXPECT_EQ(packs[2].position, 5);
  EXPECT_TRUE(packs[2].archive);            // any non-zero number
  EXPECT_EQ(packs[2].address, "http://h/b.txt");  // the CR of a CR LF line is dropped
  EXPECT_FALSE(packs[3].archive);           // no digits: 0
  EXPECT_EQ(packs[3].second_flag, 7);
}

TEST(DataPackParsingTest, CutsFieldsAndStopsAtAnOverlongLine) {
  std::string long_name(300, 'n');
  std::vector<DataPack> packs = ParseDataPacks("0\t" + long_name + "\t" + std::string(25, '9') +
                                               "\thttp://h/x\n"
                                               "0\tData\\ok.txt\t1\thttp://h/ok\n"
                                               "0\tData\\long.txt\t1\thttp://h/" + std::string(1100, 'l') + "\n"
                                               "0\tData\\after.txt\t1\thttp://h/after\n");
  ASSERT_EQ(packs.size(), 2u);
  EXPECT_EQ(packs[0].file_name.size(), 259u);
  EXPECT_EQ(packs[0].version.size(), 19u);
  EXPECT_EQ(packs[1].file_name, "Data\\ok.txt");
}

// A descriptor could name any file of the program folder: 7z.exe (which Updater runs
// next), startup.xml (which becomes a scheduled task) or Data\UpdateHost.txt.
TEST(PackNameTest, PacksWriteOnlyDataFilesOfTheDataFolder) {
  const char* plain_allowed[] = {"Data\\word.kezo", "Data/list.txt", "data\\about.html", "Data\\a.b.TXT",
                                 "Data\\词表.txt"};
  const char* plain_refused[] = {"",           "\\Windows\\x.dll", "/etc/passwd",   "C:\\x.txt",        "c:x.txt",
                                 "..\\KEZO.exe", "Data\\..\\..\\x",   "..",            "Data\\x\"y.txt",   "-oC.7z",
                                 "Data\\a\tb.txt", "Data\\a\nb.txt",  "x:stream",      "www\\x.html",      "a.b.c",
                                 "7z.exe",       "startup.xml",     "word.kezo",     "Data\\UpdateHost.txt", "data/updatehost.TXT",
                                 "Data\\UPDATE~1.TXT", "Data\\x.exe",   "Data\\run.bat", "Data\\x.js",        "Data\\sub\\x.txt",
                                 "Data\\x.txt:s", "Data\\-x.txt",   "Data\\"};
  auto pack = [](bool archive, const char* name) {
    DataPack pack;
    pack.archive = archive;
    pack.file_name = name;
    return pack;
  };
  for (const char* name : plain_allowed) EXPECT_TRUE(MayWritePack(pack(false, name))) << name;
  for (const char* name : plain_refused) EXPECT_FALSE(MayWritePack(pack(false, name))) << name;

  const char* archive_allowed[] = {"words.7z", "Data\\words.7Z", "data.exe.7z"};
  const char* archive_refused[] = {"7z.exe", "words.zip", "Data\\sub\\w.7z", "..\\w.7z", "-o.7z", "\\w.7z", "Data\\word.kezo"};
  for (const char* name : archive_allowed) EXPECT_TRUE(MayWritePack(pack(true, name))) << name;
  for (const char* name : archive_refused) EXPECT_FALSE(MayWritePack(pack(true, name))) << name;
}

}  // namespace
