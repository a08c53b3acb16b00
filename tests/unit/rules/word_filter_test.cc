#include "rules/word_filter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "config/profile_values.h"
#include "memory_file_system.h"
#include "memory_profile_store.h"
#include "platform/code_page.h"
#include "rules/data_file.h"

namespace {

class WordFilterTest : public ::testing::Test {
 protected:
  // Writes a word file as the program keeps it: scrambled, one word per line, UTF-8 with a
  // byte-order mark.
  void PutWords(const std::string& path, const std::u16string& lines) {
    std::string body = WideToUtf8(lines);
    CMyFile::Scramble(body);
    files_.Put(path, "\xEF\xBB\xBF" + body);
  }

  MemoryFileSystem files_;
  MemoryProfileStore profile_;
  ScopedSeam<FileSystem> files_seam_{files_};
  ScopedSeam<ProfileStore> profile_seam_{profile_};
};

TEST_F(WordFilterTest, TheBlackFilterReadsItsThreeFilesAndTheWhiteOneItsOwn) {
  PutWords("Data\\word.kezo", u"色情\r\n赌博\r\n");
  PutWords("Data\\UserWord.kezo", u"赌博\r\n游戏\r\n");
  PutWords("Data\\StrictWord.kezo", u"性感\r\n");
  PutWords("Data\\whiteword.kezo", u"色情防范\r\n");

  CWordFilter black(true);
  CWordFilter white(false);
  EXPECT_EQ(black.KeywordCount(), 4u) << "a word in two files is held once";
  EXPECT_TRUE(black.Match(u"网络赌博"));
  EXPECT_TRUE(black.Match(u"手机游戏"));
  EXPECT_TRUE(black.Match(u"性感图片")) << "PowerfullFiltering is on by default";
  EXPECT_FALSE(black.Match(u"今日新闻"));
  EXPECT_TRUE(white.Match(u"色情防范知识"));
  EXPECT_FALSE(white.Match(u"色情"));

  WriteProfile(profile::kPowerfullFiltering, 0);
  EXPECT_TRUE(black.Match(u"性感图片")) << "until the next rebuild";
  black.Rebuild();
  EXPECT_FALSE(black.Match(u"性感图片"));
  EXPECT_TRUE(black.Match(u"网络赌博"));
}

TEST_F(WordFilterTest, ARebuildForgetsRemovedWords) {
  PutWords("Data\\word.kezo", u"黄\r\n");
  CWordFilter black(true);
  EXPECT_TRUE(black.Match(u"黄色"));
  PutWords("Data\\word.kezo", u"");
  black.Rebuild();
  EXPECT_FALSE(black.Match(u"黄色"));
  EXPECT_EQ(black.KeywordCount(), 0u) << "missing files contribute nothing";
}

TEST_F(WordFilterTest, MatchesTextInTheLocalCodePage) {
  PutWords("Data\\word.kezo", u"色情\r\n");
  CWordFilter black(true);
  EXPECT_TRUE(black.Match(WideToLocal(u"免费色情网站")));
  EXPECT_FALSE(black.Match(WideToLocal(u"免费新闻")));
  EXPECT_FALSE(black.Match(std::string_view()));
}

TEST_F(WordFilterTest, AWhiteWordClearsOnlyTheBannedWordsItOverlaps) {
  PutWords("Data\\word.kezo", u"黄片\r\n黄色视频\r\n做爱\r\n屄\r\n");
  PutWords("Data\\whiteword.kezo", u"姜黄片\r\n当做爱\r\n爱人\r\n优惠\r\n");
  CWordFilter black(true);
  CWordFilter white(false);
  const struct {
    std::u16string_view text;
    bool banned;
  } cases[] = {
      {u"姜黄片泡水", false},          // the white word holds the banned one
      {u"把他当做爱人", false},        // two white words, each overlapping a part of 做爱
      {u"我们做爱人", false},          // overlapping only its last unit
      {u"黄色视频优惠", true},         // a white word beside the banned one clears nothing
      {u"姜黄片和黄片", true},         // the second occurrence stands clear
      {u"姜黄片和屄", true},           // a banned single unit elsewhere
      {u"优惠黄片优惠", true},
      {u"做爱", true},
      {u"今日优惠", false},            // nothing banned at all
      {u"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(black.Bans(c.text, &white), c.banned) << WideToUtf8(std::u16string(c.text));
  }
  EXPECT_TRUE(black.Bans(WideToLocal(u"黄色视频优惠"), &white)) << "the local code page";
  EXPECT_FALSE(black.Bans(WideToLocal(u"姜黄片泡水"), &white));
  EXPECT_TRUE(black.Bans(u"姜黄片", nullptr)) << "without a white filter nothing clears";
}

TEST_F(WordFilterTest, MatchingStaysRightWhileTheWordsAreRebuilt) {
  PutWords("Data\\word.kezo", u"色情\r\n");
  CWordFilter black(true);
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::thread reader([&] {
    while (!stop) {
      if (!black.Match(u"色情网站") || black.Match(u"新闻网站")) ++wrong;
    }
  });
  for (int i = 0; i < 300; ++i) black.Rebuild();
  stop = true;
  reader.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
