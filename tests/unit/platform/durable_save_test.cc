// A list saved on the real file system survives a crash or a failing disk in the middle
// of the save: the file afterwards is the old list or the new one, whole, never a
// truncated mixture. POSIX only: the test kills a child process and limits file sizes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "platform/file_system.h"
#include "rules/text_list.h"
#include "temp_folder.h"

namespace {

constexpr int kBaseEntries = 60000;
const std::string kPath = "Data\\UserBlackDomain.kezo";

std::string ReadRaw(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The plain list file of `entries` sorted, as CMyList writes it.
std::string ListBytes(std::vector<std::string> entries) {
  std::sort(entries.begin(), entries.end());
  std::string bytes;
  for (const std::string& entry : entries) bytes += entry + "\r\n";
  return bytes;
}

std::vector<std::string> BaseEntries() {
  std::vector<std::string> entries;
  for (int i = 0; i < kBaseEntries; ++i) entries.push_back("site" + std::to_string(i) + ".example");
  return entries;
}

class DurableSaveTest : public ::testing::Test {
 protected:
  DurableSaveTest() { EXPECT_TRUE(FileSystem::System().Replace(kPath, ListBytes(BaseEntries()))); }
  std::filesystem::path File() const { return folder_.path() / "Data" / "UserBlackDomain.kezo"; }

  ScopedTempWorkingFolder folder_;
};

TEST_F(DurableSaveTest, AProcessKilledWhileSavingALargeListLeavesTheOldOrTheNewListWhole) {
  std::mt19937 random(12345);
  for (int attempt = 0; attempt < 6; ++attempt) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Adds entries one after another; every Add saves the whole list (a few MB).
      CMyList list(kPath, false, 50, 5);
      list.Load(true);
      for (int i = 0;; ++i) list.Add(std::string_view("added" + std::to_string(i) + ".example"), true);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100 + random() % 400));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    // Whatever was saved last is a whole list: the base entries plus some of the added
    // ones, each line complete, in the order CMyList writes.
    std::string stored = ReadRaw(File());
    CMyList reread(kPath, false, 50, 5);
    reread.Load(true);
    std::vector<std::string> entries;
    for (const std::u16string& entry : *reread.Entries()) entries.emplace_back(entry.begin(), entry.end());
    ASSERT_GE(entries.size(), static_cast<size_t>(kBaseEntries)) << "attempt " << attempt;
    EXPECT_EQ(stored, ListBytes(entries)) << "attempt " << attempt;
    size_t added = 0;
    for (const std::string& entry : entries) {
      bool known = (entry.starts_with("site") || entry.starts_with("added")) && entry.ends_with(".example");
      EXPECT_TRUE(known) << entry;
      added += entry.starts_with("added");
    }
    EXPECT_EQ(entries.size(), kBaseEntries + added);
  }
}

TEST_F(DurableSaveTest, AWriteThatFailsPartWayLeavesTheOldListAndNoTemporaryFile) {
  const std::string before = ReadRaw(File());
  CMyList list(kPath, false, 50, 5);
  list.Load(true);

  // The disk takes only half of the new file: the write fails in the middle.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previous_handler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = before.size() / 2;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool added = list.Add(u"late.example", true);
  bool saved_again = list.Save();
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous_handler);

  EXPECT_TRUE(added) << "the change is kept in memory";
  EXPECT_FALSE(saved_again);
  EXPECT_EQ(ReadRaw(File()), before);
  size_t files = static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder_.path() / "Data"), {}));
  EXPECT_EQ(files, 1u) << "the half-written temporary file is removed";

  EXPECT_TRUE(list.Save()) << "with room on the disk again the list is saved";
  EXPECT_NE(ReadRaw(File()).find("late.example\r\n"), std::string::npos);
}

}  // namespace
