#include "rules/url_filter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "memory_file_system.h"

namespace {

class UrlFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files_.Put("Data\\URLFilter.kezo", Scrambled("porn\r\nxxx\r\n"));
    files_.Put("Data\\blackdomain.kezo", Scrambled("bad.example\r\nhentai\r\nnaughty.test\r\n"));
    filter_.Load(true);
    black_.Load(true);
  }
  static std::string Scrambled(std::string text) {
    CMyFile::Scramble(text);
    return text;
  }

  MemoryFileSystem files_;
  ScopedSeam<FileSystem> seam_{files_};
  CURLFilter filter_{"Data\\URLFilter.kezo", true, 10, 2};
  CMyList black_{"Data\\blackdomain.kezo", true, 30, 5};
};

TEST_F(UrlFilterTest, AKeywordAnywhereInTheHostMatches) {
  filter_.FillExtraKeywords(*black_.Entries());
  EXPECT_EQ(*filter_.ExtraKeywords(), CMyList::Items{u"hentai"}) << "only dot-less black entries";
  struct Case {
    const char* host;
    bool match;
  } cases[] = {
      {"pornsite.example", true}, {"www.myxxxvideos.test", true}, {"hentaihaven.example", true},
      {"PORNSITE.example", false}, {"bad.example", false}, {"essex.example", false}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(filter_.Match(c.host), c.match) << c.host;
}

TEST_F(UrlFilterTest, AKeywordInsideAnOrdinaryWordDoesNotCount) {
  files_.Put("Data\\URLFilter.kezo", Scrambled("sex\r\nxxx\r\n"));
  files_.Put("Data\\URLFilterWhite.kezo", Scrambled("essex\r\nsexchange\r\nxxxlutz\r\n"));
  filter_.Load(true);
  filter_.LoadOrdinaryWords();
  struct Case {
    const char* host;
    bool match;
  } cases[] = {
      {"essex.ac.uk", false},        {"middle-essex.example", false}, {"expertsexchange.com", false},
      {"www.xxxlutz.de", false},     {"sex.example", true},           {"freesexvideos.example", true},
      {"essexsex.example", true},    // the second occurrence is a word of its own
      {"sexchangesex.example", true}, {"xxxlutzxxx.example", true},   {"essexxx.example", true},
  };
  for (const Case& c : cases) EXPECT_EQ(filter_.Match(c.host), c.match) << c.host;
}

TEST_F(UrlFilterTest, RefillingReplacesTheExtraKeywords) {
  filter_.FillExtraKeywords(*black_.Entries());
  files_.Put("Data\\blackdomain.kezo", Scrambled("ecchi\r\n"));
  black_.Load(true);
  filter_.FillExtraKeywords(*black_.Entries());
  EXPECT_FALSE(filter_.Match("hentai.example"));
  EXPECT_TRUE(filter_.Match("ecchi.example"));
}

TEST_F(UrlFilterTest, MatchingStaysCorrectWhileTheKeywordsAreRefilled) {
  std::atomic<bool> stop{false};
  std::atomic<int> failures{0};
  std::thread reader([&] {
    while (!stop) {
      if (!filter_.Match("pornsite.example") || filter_.Match("harmless.example")) ++failures;
    }
  });
  for (int i = 0; i < 2000; ++i) filter_.FillExtraKeywords(*black_.Entries());
  stop = true;
  reader.join();
  EXPECT_EQ(failures, 0);
}

// The entries of the black list were read through a temporary reference that ended
// before the loop over them did, so a reload on another thread could free them mid-read
// (a use after free under AddressSanitizer, a race under ThreadSanitizer).
TEST_F(UrlFilterTest, RefillingWhileTheBlackListReloadsReadsAWholeVersion) {
  std::string many;
  for (int i = 0; i < 3000; ++i) many += "keyword" + std::to_string(i) + "\r\n";
  files_.Put("Data\\blackdomain.kezo", Scrambled(many));
  black_.Load(true);
  std::atomic<bool> stop{false};
  std::thread reloader([&] {
    while (!stop) black_.Load(true);
  });
  for (int i = 0; i < 200; ++i) {
    filter_.FillExtraKeywords(*black_.Entries());
    EXPECT_EQ(filter_.ExtraKeywords()->size(), 3000u);
  }
  stop = true;
  reloader.join();
}

}  // namespace
