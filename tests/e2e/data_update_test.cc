// The data update end to end: a local update host serves the descriptor and the packs,
// real files are written in a working folder of their own, and archives are unpacked by
// the real 7-Zip program (Debian's 7z; under Wine the shipped 7z.exe).
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/archive_tool.h"
#include "platform/file_system.h"
#include "file_text.h"
#include "temp_folder.h"
#include "update_server.h"
#include "updater/data_update.h"

namespace {

namespace fs = std::filesystem;

class DataUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The unpacking tool is 7z.exe in the working folder on Windows; the build put the
    // shipped one beside the test program.
    fs::path shipped = fs::path(KEZO_PROGRAM_ROOT) / "7z.exe";
    if (fs::exists(shipped)) fs::copy_file(shipped, folder_.path() / "7z.exe");
    server_.SetReply("/packs/words.7z", TestOrigin::Response(FileText(fs::path(KEZO_SOURCE_ROOT) / "tests/data/updater/words.7z"),
                                                             "application/x-7z-compressed"));
    server_.Serve("/packs/plain.txt", "plain pack\n");
  }

  // A descriptor with a comment and a short line before the two packs, each at `version`.
  std::string Descriptor(const std::string& version) {
    return "; Veltra data packs\n"
           "0\tshort\tline\n"
           "1\twords.7z\t" + version + "\t" + server_.Url("/packs/words.7z") + "\tData\\word.kezo\t1\n"
           "0\tData\\plain.txt\t" + version + "\t" + server_.Url("/packs/plain.txt") + "\n";
  }

  DataUpdateResult Run() { return RunDataUpdate(UpdateHost(server_.Base())); }
  std::string Data(const char8_t* name) { return FileText(folder_.path() / "Data" / fs::path(name)); }
  bool Exists(const char* name) { return fs::exists(folder_.path() / name); }

  ScopedTempWorkingFolder folder_;
  UpdateServer server_;
};

TEST_F(DataUpdateTest, FirstUpdateFetchesAndUnpacksEveryPackThenACommittedOneFetchesNothing) {
  const std::string descriptor = Descriptor("1");
  server_.Serve("/CKEZO/ConfigUpgrade.txt", descriptor);

  DataUpdateResult first = Run();
  EXPECT_EQ(first.downloaded, 2);
  EXPECT_TRUE(first.committed);
  EXPECT_EQ(Data(u8"词表.txt"), "红色\n") << "unpacked without the archive's folder";
  EXPECT_EQ(Data(u8"list.txt"), "plain\n");
  EXPECT_EQ(Data(u8"plain.txt"), "plain pack\n");
  EXPECT_FALSE(Exists("words.7z")) << "the archive is deleted after unpacking";
  EXPECT_EQ(FileText(folder_.path() / "Upgrade.kezo"), descriptor);
  EXPECT_FALSE(Exists("SUpgrade.kezo"));
  for (const std::string& target : server_.Targets()) {
    EXPECT_NE(target.find("?time="), std::string::npos) << target << " is fetched past caches";
  }

  // The committed descriptor is kept as it is; a marker shows it was not rewritten.
  ASSERT_TRUE(FileSystem::System().Replace("Upgrade.kezo", descriptor + "; kept\n"));
  server_.ClearLog();
  DataUpdateResult second = Run();
  EXPECT_EQ(second.downloaded, 0);
  EXPECT_FALSE(second.committed);
  EXPECT_EQ(server_.Targets().size(), 1u) << "only the descriptor";
  EXPECT_EQ(FileText(folder_.path() / "Upgrade.kezo"), descriptor + "; kept\n");
  EXPECT_FALSE(Exists("SUpgrade.kezo"));
}

TEST_F(DataUpdateTest, APlainPackWhoseFileWasDeletedIsFetchedAgain) {
  server_.Serve("/CKEZO/ConfigUpgrade.txt", Descriptor("1"));
  ASSERT_TRUE(Run().committed);
  fs::remove(folder_.path() / "Data" / "plain.txt");
  server_.ClearLog();

  DataUpdateResult again = Run();
  EXPECT_EQ(again.downloaded, 1);
  EXPECT_EQ(server_.Count("/packs/plain.txt"), 1);
  EXPECT_EQ(server_.Count("/packs/words.7z"), 0) << "an unchanged archive is not fetched again";
  EXPECT_EQ(Data(u8"plain.txt"), "plain pack\n");
}

TEST_F(DataUpdateTest, AFailedLastDownloadKeepsTheOldDescriptorSoThePacksAreTriedAgain) {
  const std::string first = Descriptor("1");
  server_.Serve("/CKEZO/ConfigUpgrade.txt", first);
  ASSERT_TRUE(Run().committed);

  server_.Serve("/CKEZO/ConfigUpgrade.txt", Descriptor("2"));
  server_.Remove("/packs/plain.txt");
  DataUpdateResult failed = Run();
  EXPECT_EQ(failed.downloaded, 1);
  EXPECT_EQ(failed.failed, 1);
  EXPECT_FALSE(failed.committed);
  EXPECT_EQ(FileText(folder_.path() / "Upgrade.kezo"), first);
  EXPECT_FALSE(Exists("SUpgrade.kezo"));
  EXPECT_EQ(Data(u8"plain.txt"), "plain pack\n") << "the failed download left the old file";

  server_.Serve("/packs/plain.txt", "plain pack 2\n");
  server_.ClearLog();
  DataUpdateResult retried = Run();
  EXPECT_EQ(retried.downloaded, 2);
  EXPECT_TRUE(retried.committed);
  EXPECT_EQ(Data(u8"plain.txt"), "plain pack 2\n");
}

TEST_F(DataUpdateTest, WithoutACommittedDescriptorEveryPackIsFetchedAgain) {
  server_.Serve("/CKEZO/ConfigUpgrade.txt", Descriptor("1"));
  ASSERT_TRUE(Run().committed);
  fs::remove(folder_.path() / "Data" / fs::path(u8"词表.txt"));
  fs::remove(folder_.path() / "Upgrade.kezo");
  server_.ClearLog();

  EXPECT_EQ(Run().downloaded, 2);
  EXPECT_EQ(Data(u8"词表.txt"), "红色\n");
}

TEST_F(DataUpdateTest, NoDescriptorOrAnEmptyOneChangesNothing) {
  ASSERT_TRUE(FileSystem::System().Replace("Upgrade.kezo", "old"));
  EXPECT_FALSE(Run().descriptor_fetched);  // 404
  server_.Serve("/CKEZO/ConfigUpgrade.txt", "; nothing this time\n");
  DataUpdateResult empty = Run();
  EXPECT_TRUE(empty.descriptor_fetched);
  EXPECT_EQ(empty.downloaded, 0);
  EXPECT_EQ(FileText(folder_.path() / "Upgrade.kezo"), "old");
  EXPECT_FALSE(Exists("SUpgrade.kezo"));
}

TEST_F(DataUpdateTest, PackNamesOutsideTheProgramFolderAreRefused) {
  server_.Serve("/CKEZO/ConfigUpgrade.txt",
                "0\t..\\escaped.txt\t1\t" + server_.Url("/packs/plain.txt") + "\n" +
                "0\t" + (folder_.path() / "absolute.txt").string() + "\t1\t" + server_.Url("/packs/plain.txt") + "\n" +
                "0\tData\\plain.txt\t1\t" + server_.Url("/packs/plain.txt") + "\n" +
                "0\t7z.exe\t1\t" + server_.Url("/packs/plain.txt") + "\n" +
                "0\tData\\UpdateHost.txt\t1\t" + server_.Url("/packs/plain.txt") + "\n" +
                "0\tC:\\drive.txt\t1\t" + server_.Url("/packs/plain.txt") + "\n");
  DataUpdateResult result = Run();
  EXPECT_EQ(result.refused, 5);
  EXPECT_EQ(result.downloaded, 1);
  EXPECT_FALSE(result.committed) << "the last pack was not fetched";
  EXPECT_EQ(server_.Count("/packs/plain.txt"), 1);
  EXPECT_FALSE(fs::exists(folder_.path().parent_path() / "escaped.txt"));
  EXPECT_FALSE(Exists("absolute.txt"));
  EXPECT_FALSE(Exists("Data/UpdateHost.txt"));
  if (Exists("7z.exe")) {
    EXPECT_NE(FileText(folder_.path() / "7z.exe"), "plain pack\n");
  }
}

// A failed unpacking went unnoticed: the archive was deleted and, when a later pack of the
// run arrived, the descriptor was committed, so the archive was never fetched again.
TEST_F(DataUpdateTest, AnArchiveThatDoesNotUnpackIsKeptUncommittedAndFetchedAgain) {
  server_.Serve("/packs/words.7z", "not an archive");
  server_.Serve("/CKEZO/ConfigUpgrade.txt", "1\twords.7z\t1\t" + server_.Url("/packs/words.7z") + "\n" +
                                                "0\tData\\plain.txt\t1\t" + server_.Url("/packs/plain.txt") + "\n");
  DataUpdateResult broken = Run();
  EXPECT_EQ(broken.downloaded, 2);
  EXPECT_EQ(broken.unpack_failed, 1);
  EXPECT_FALSE(broken.committed);
  EXPECT_FALSE(Exists("Upgrade.kezo"));
  EXPECT_TRUE(Exists("words.7z")) << "only an unpacked archive is deleted";
  EXPECT_EQ(Data(u8"plain.txt"), "plain pack\n");

  server_.SetReply("/packs/words.7z", TestOrigin::Response(FileText(fs::path(KEZO_SOURCE_ROOT) / "tests/data/updater/words.7z"),
                                                           "application/x-7z-compressed"));
  server_.ClearLog();
  DataUpdateResult mended = Run();
  EXPECT_EQ(server_.Count("/packs/words.7z"), 1);
  EXPECT_TRUE(mended.committed);
  EXPECT_EQ(Data(u8"词表.txt"), "红色\n");
  EXPECT_FALSE(Exists("words.7z"));
}

// An archive was unpacked whole into Data, so it could replace the update-host setting
// Data\UpdateHost.txt or leave programs there.
TEST_F(DataUpdateTest, AnArchiveBringsOnlyItsDataFiles) {
  const fs::path made = folder_.path() / "made" / "pack";
  fs::create_directories(made);
  fs::create_directories(folder_.path() / "Data");
  const std::pair<const char*, const char*> files[] = {
      {"UpdateHost.txt", "http://elsewhere.example/\r\n"}, {"KEZO.exe", "MZ"}, {"run.bat", "del *"}, {"new.kezo", "new\n"}};
  for (const auto& [name, text] : files) ASSERT_TRUE(FileSystem::System().Replace("made/pack/" + std::string(name), text));
  ASSERT_TRUE(FileSystem::System().Replace("Data/UpdateHost.txt", "http://maker.example/\r\n"));
  ASSERT_TRUE(ArchiveTool::Current().ArchiveFolder("made.7z", "made/pack"));
  server_.SetReply("/packs/mixed.7z", TestOrigin::Response(FileText(folder_.path() / "made.7z"), "application/x-7z-compressed"));
  server_.Serve("/CKEZO/ConfigUpgrade.txt", "1\tmixed.7z\t1\t" + server_.Url("/packs/mixed.7z") + "\n");

  DataUpdateResult result = Run();
  EXPECT_TRUE(result.committed);
  EXPECT_EQ(result.left_out, 3);
  EXPECT_EQ(Data(u8"new.kezo"), "new\n");
  EXPECT_EQ(Data(u8"UpdateHost.txt"), "http://maker.example/\r\n");
  EXPECT_FALSE(Exists("Data/KEZO.exe"));
  EXPECT_FALSE(Exists("Data/run.bat"));
  EXPECT_FALSE(Exists("Data.pack"));
}

}  // namespace
