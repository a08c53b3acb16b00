#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace {

// "中文" in the local code page (GBK) and in UTF-8.
const std::string kGbkChinese = "\xD6\xD0\xCE\xC4";
const std::string kUtf8Chinese = "\xE4\xB8\xAD\xE6\x96\x87";

TEST(CodePageTest, LocalAndUtf8ConvertBothWays) {
  struct Case {
    std::string local, utf8;
    std::u16string wide;
  } cases[] = {
      {"", "", u""},
      {"plain ascii", "plain ascii", u"plain ascii"},
      {kGbkChinese, kUtf8Chinese, u"中文"},
      {"a" + kGbkChinese + "b", "a" + kUtf8Chinese + "b", u"a中文b"},
      {"\xA1\xA2", "\xE3\x80\x81", u"、"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LocalToWide(c.local), c.wide) << c.utf8;
    EXPECT_EQ(WideToLocal(c.wide), c.local) << c.utf8;
    EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
    EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.utf8;
  }
}

TEST(CodePageTest, EveryResultEndsAtTheFirstNul) {
  using namespace std::string_literals;
  EXPECT_EQ(LocalToWide("ab\0cd"s), u"ab");
  EXPECT_EQ(LocalToWide("\0cd"s), u"");
  EXPECT_EQ(WideToLocal(u"ab\0cd"s), "ab");
  EXPECT_EQ(Utf8ToWide("\0\xE4\xB8\xAD"s), u"");
  EXPECT_EQ(Utf8ToWide("x\0y"s), u"x");
  EXPECT_EQ(WideToUtf8(u"\0x"s), "");
  EXPECT_EQ(WideToUtf8(u"中\0x"s), "\xE4\xB8\xAD");
}

TEST(CodePageTest, SupplementaryCharactersBecomeSurrogatePairs) {
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(WideToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(CodePageTest, UnconvertibleInputIsReplacedNotDropped) {
  // A lone surrogate has no UTF-8 form; a truncated UTF-8 sequence has no character.
  EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToWide("a\xE4\xB8"), u"a\uFFFD");
  EXPECT_EQ(Utf8ToWide("\xFF" "b"), u"\uFFFD" u"b");
  // A character that GBK lacks comes out as '?', keeping the text's length in step.
  EXPECT_EQ(WideToLocal(u"a\u0E01b"), "a?b");
}

}  // namespace
