#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "temp_folder.h"

namespace {

std::string ReadDirectly(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

size_t FilesIn(const std::filesystem::path& folder) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(FileSystemTest, ReplaceWritesTheWholeContentUnderTheProgramsRelativeName) {
  ScopedTempWorkingFolder folder;
  FileSystem& files = FileSystem::System();
  std::string binary("a\0b\r\n\xFF", 6);

  ASSERT_TRUE(files.Replace("Data\\list.txt", "old content that is longer"));
  ASSERT_TRUE(files.Replace("Data\\list.txt", binary));

  EXPECT_EQ(ReadDirectly(folder.path() / "Data" / "list.txt"), binary);
  EXPECT_EQ(files.ReadAll("Data\\list.txt"), binary);
  EXPECT_EQ(FilesIn(folder.path() / "Data"), 1u) << "no temporary file is left behind";
}

TEST(FileSystemTest, MissingFilesReadAsNothing) {
  ScopedTempWorkingFolder folder;
  EXPECT_EQ(FileSystem::System().ReadAll("Data\\absent.txt"), std::nullopt);
  EXPECT_EQ(FileSystem::System().ReadAll("Data"), std::nullopt) << "a folder is not a file";
  EXPECT_FALSE(FileSystem::System().Remove("Data\\absent.txt"));
}

TEST(FileSystemTest, AFailedReplaceLeavesTheOldFileWholeAndNoLitter) {
  ScopedTempWorkingFolder folder;
  FileSystem& files = FileSystem::System();
  // A folder standing where the file should go cannot be replaced by a file.
  std::filesystem::create_directory(folder.path() / "Data" / "blocked");
  EXPECT_FALSE(files.Replace("Data\\blocked", "new"));
  // A missing folder cannot hold the temporary file.
  EXPECT_FALSE(files.Replace("Missing\\list.txt", "new"));
  EXPECT_EQ(FilesIn(folder.path() / "Data"), 1u);
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "Missing"));
}

TEST(FileSystemTest, RemoveDeletesTheFile) {
  ScopedTempWorkingFolder folder;
  ASSERT_TRUE(FileSystem::System().Replace("Data\\gone.txt", "x"));
  EXPECT_TRUE(FileSystem::System().Remove("Data\\gone.txt"));
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "Data" / "gone.txt"));
}

}  // namespace
