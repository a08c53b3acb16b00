#include "rules/data_file.h"

#include <gtest/gtest.h>

#include "memory_file_system.h"

namespace {

const std::string kMark = "\xEF\xBB\xBF";

class DataFileTest : public ::testing::Test {
 protected:
  MemoryFileSystem files_;
  ScopedSeam<FileSystem> seam_{files_};
};

TEST_F(DataFileTest, ScramblingXorsTheBodyWithTheRepeatingKey) {
  CMyFile file("Data\\a.kezo", true);
  ASSERT_TRUE(file.Write("HelloDadiViz!"));
  // "Hello" ^ "DadiV", then "DadiViz" ^ "izDadiV", then "!" ^ "i".
  EXPECT_EQ(files_.Get("Data\\a.kezo"), std::string("\x0C\x04\x08\x05\x39\x2D\x1B\x20\x08\x32\x00\x2C\x48", 13));
  file.Read();
  EXPECT_EQ(file.Text(), u"HelloDadiViz!");

  std::string bytes = "eight b.";
  CMyFile::Scramble(bytes);
  CMyFile::Scramble(bytes);
  EXPECT_EQ(bytes, "eight b.") << "scrambling is its own inverse, tail included";
}

TEST_F(DataFileTest, TheMarkIsNeverScrambledAndTheKeyStartsAfterIt) {
  CMyFile file("Data\\a.kezo", true);
  file.SetHasBom(true);
  ASSERT_TRUE(file.Write("\xE4\xB8\xAD" "Hi"));  // "中Hi" in UTF-8
  std::string stored = files_.Get("Data\\a.kezo");
  ASSERT_EQ(stored.substr(0, 3), kMark);
  EXPECT_EQ(stored[3], static_cast<char>(0xE4 ^ 'D'));

  CMyFile reader("Data\\a.kezo", true);
  reader.Read();
  EXPECT_TRUE(reader.HasBom());
  EXPECT_EQ(reader.Text(), u"中Hi");
}

TEST_F(DataFileTest, BodiesWithoutAMarkAreInTheLocalCodePage) {
  files_.Put("Data\\plain.txt", "\xD6\xD0\xCE\xC4");  // "中文" in GBK
  CMyFile file("Data\\plain.txt", false);
  file.Read();
  EXPECT_FALSE(file.HasBom());
  EXPECT_EQ(file.Text(), u"中文");
}

TEST_F(DataFileTest, MarkEdgeCases) {
  files_.Put("Data\\mark-only.txt", kMark);
  CMyFile mark_only("Data\\mark-only.txt", true);
  mark_only.Read();
  EXPECT_TRUE(mark_only.HasBom());
  EXPECT_EQ(mark_only.Text(), u"");

  mark_only.Write("");
  EXPECT_EQ(files_.Get("Data\\mark-only.txt"), kMark) << "an empty text with the mark writes the mark alone";

  // Two bytes cannot hold a mark: read whole as local text, the flag left as it was.
  files_.Put("Data\\short.txt", "\xEF\xBB");
  CMyFile fresh("Data\\short.txt", false);
  fresh.Read();
  EXPECT_FALSE(fresh.HasBom());
  EXPECT_EQ(fresh.Text().size(), 1u) << "one double-byte character";
  std::string scrambled_ab = "ab";
  CMyFile::Scramble(scrambled_ab);
  files_.Put("Data\\mark-only.txt", scrambled_ab);
  mark_only.Read();
  EXPECT_TRUE(mark_only.HasBom()) << "a short file leaves the flag unchanged";
  EXPECT_EQ(mark_only.Text(), u"ab");
}

TEST_F(DataFileTest, TextEndsAtTheFirstZeroByte) {
  CMyFile file("Data\\z.kezo", true);
  ASSERT_TRUE(file.Write(std::string("keep\0lost", 9)));
  EXPECT_EQ(files_.Get("Data\\z.kezo").size(), 4u) << "a write stops at the zero too";
  files_.Put("Data\\z.txt", std::string("keep\0lost", 9));
  CMyFile plain("Data\\z.txt", false);
  plain.Read();
  EXPECT_EQ(plain.Text(), u"keep");
}

TEST_F(DataFileTest, MissingFilesReadEmptyAndFailedWritesKeepTheOldFile) {
  CMyFile missing("Data\\Inject.kezo", false);
  missing.Read();
  EXPECT_EQ(missing.Text(), u"");

  files_.Put("Data\\keep.txt", "old");
  files_.FailWrites(true);
  CMyFile file("Data\\keep.txt", false);
  EXPECT_FALSE(file.Write("new"));
  EXPECT_EQ(files_.Get("Data\\keep.txt"), "old");
}

TEST_F(DataFileTest, WriteToFillsAnotherFileInTheSameForm) {
  CMyFile file("Data\\shareto.html", false);
  file.SetHasBom(true);
  ASSERT_TRUE(file.WriteTo("<p>x</p>", "www\\share.html"));
  EXPECT_EQ(files_.Get("www\\share.html"), kMark + "<p>x</p>");
  EXPECT_FALSE(files_.Has("Data\\shareto.html"));
}

}  // namespace
