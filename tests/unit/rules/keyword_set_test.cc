#include "rules/keyword_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool BruteForce(const std::vector<std::u16string>& keywords, std::u16string_view text) {
  for (const std::u16string& keyword : keywords) {
    if (!keyword.empty() && keyword.find(u'\uFFFF') == std::u16string::npos &&
        text.find(keyword) != std::u16string_view::npos) {
      return true;
    }
  }
  return false;
}

TEST(KeywordSetTest, FindsEveryKeywordWhereverItOccurs) {
  const std::vector<std::u16string> keywords = {
      u"色情", u"色情网站大全", u"成人电影下载", u"abcdefghijkl",  // two and six units from the same first unit
      u"猫", u"ab", u"bc",                                           // a single unit; overlapping pairs
      u"free porn", u"ÿ\uFFFFx"};
  CKeywordSet set(keywords);
  struct Case {
    std::u16string_view text;
    bool match;
  } cases[] = {
      {u"", false},
      {u"今天的新闻", false},
      {u"色", false},
      {u"色情", true},
      {u"看色情网站大全", true},
      {u"新闻色情", true},           // ends with the keyword
      {u"新闻色情x", true},          // keyword one before the end
      {u"成人电影下", false},        // only the first n-1 units at the end
      {u"你好成人电影下载吧", true},  // leading units that begin nothing, then a keyword
      {u"xabcdefghijklx", true},
      {u"a", false},
      {u"ac", false},                // the first and last units of "ab"+"bc" side by side
      {u"abc", true},
      {u"小猫", true},
      {u"FREE PORN", false},         // letter case matters
      {u"free porn!", true},
      {u"ÿ\uFFFFx", false},          // U+FFFF never belongs to a keyword
      {u"\uFFFF色情", true},
  };
  for (const Case& c : cases) EXPECT_EQ(set.Match(c.text), c.match) << std::string(c.text.begin(), c.text.end());
  EXPECT_EQ(set.Size(), keywords.size());
}

TEST(KeywordSetTest, EmptySetAndDuplicates) {
  EXPECT_FALSE(CKeywordSet().Match(u"任何文字"));
  EXPECT_FALSE(CKeywordSet(std::vector<std::u16string>{}).Match(u"任何文字"));
  CKeywordSet set({u"词语", u"词语", u"词"});
  EXPECT_EQ(set.Size(), 2u);
  EXPECT_TRUE(set.Match(u"一个词"));
}

// Random keyword sets and texts over a small alphabet, so that keywords overlap, share
// prefixes and occur at every position, against a plain substring search.
TEST(KeywordSetTest, AgreesWithASubstringSearchOnRandomTexts) {
  // A lone surrogate half and U+FFFF among ordinary units.
  const std::u16string alphabet = std::u16string(u"色情网站a b\uFFFF") + char16_t{0xD83D} + u"😀";
  uint64_t state = 777;
  auto next = [&](uint64_t bound) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return (state >> 33) % bound;
  };
  auto random_text = [&](size_t max_length) {
    std::u16string text;
    for (uint64_t n = next(max_length + 1); n > 0; --n) text += alphabet[next(alphabet.size())];
    return text;
  };
  for (int round = 0; round < 300; ++round) {
    std::vector<std::u16string> keywords;
    for (uint64_t n = next(12); n > 0; --n) {
      std::u16string keyword = random_text(1 + next(12));
      if (!keyword.empty()) keywords.push_back(keyword);
    }
    CKeywordSet set(keywords);
    for (int t = 0; t < 40; ++t) {
      std::u16string text = random_text(40);
      ASSERT_EQ(set.Match(text), BruteForce(keywords, text)) << "round " << round << " text " << t;
    }
  }
}

}  // namespace
