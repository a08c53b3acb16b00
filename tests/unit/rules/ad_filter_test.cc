#include "rules/ad_filter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "memory_file_system.h"
#include "rules/ad_rule_text.h"
#include "rules/verdict_cache.h"

namespace {

constexpr AdVerdict kAllow = AdVerdict::kAllow;
constexpr AdVerdict kBlock = AdVerdict::kBlock;

class AdFilterTest : public ::testing::Test {
 protected:
  // The engine over `lines`, compiled.
  CAdFilter& Filter(const std::string& lines) {
    files_.Put("Data\\easylistchina.txt", lines);
    filter_ = std::make_unique<CAdFilter>();
    stats_ = filter_->Compile();
    return *filter_;
  }

  MemoryFileSystem files_;
  ScopedSeam<FileSystem> seam_{files_};
  std::unique_ptr<CAdFilter> filter_;
  CAdRuleSet::Stats stats_;
};

TEST_F(AdFilterTest, TheFirstMatchingRuleInSortedOrderDecides) {
  // Sorted: "-" < "/" < "@" < "|". An exception decides only where it sorts first.
  CAdFilter& filter = Filter(
      "||ads.example^\r\n"
      "@@||ads.example/allowed/\r\n"
      "@@-banner-ok\r\n"
      "-banner-\r\n"
      "/track/$image\r\n"
      "/track/$domain=news.example\r\n"
      "/img/$domain=a.example|b.example\r\n"
      "/sub/$domain=~c.example\r\n");
  struct Case {
    const char* address;
    const char* host;
    AdVerdict verdict;
  } cases[] = {
      {"http://ads.example/x.js", "ads.example", kBlock},
      {"http://cdn.ads.example/x.js", "cdn.ads.example", kBlock},
      {"http://badads.example/x.js", "badads.example", kAllow},
      {"https://ads.example/x.js", "ads.example", kAllow},
      {"http://ads.example/allowed/x.js", "ads.example", kAllow},
      {"http://x.example/-banner-ok.png", "x.example", kBlock},
      // A rule naming sites passes over other hosts, and a later rule decides.
      {"http://news.example/track/p.html", "news.example", kBlock},
      {"http://other.example/track/p.html", "other.example", kAllow},
      {"http://other.example/track/p.gif", "other.example", kBlock},
      // The picture extensions count only after the matched part.
      {"http://other.example/p.gif/track/", "other.example", kAllow},
      {"http://b.example/img/1", "b.example", kBlock},
      {"http://c.example/img/1", "c.example", kAllow},
      // "~" widens to subdomains instead of excluding the site.
      {"http://m.c.example/sub/1", "m.c.example", kBlock},
      {"http://c.example/sub/1", "c.example", kAllow},
      {"", "", kAllow},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(filter.CheckUncached(c.address, c.host), c.verdict) << c.address;
    EXPECT_EQ(filter.Check(c.address, "", c.host), c.verdict) << c.address;
  }
  EXPECT_EQ(stats_.rules, 8u);
}

TEST_F(AdFilterTest, ALargeListFindsItsRulesThroughTheirLiterals) {
  std::string lines;
  for (int i = 0; i < 300; ++i) {
    std::string n = std::to_string(i);
    lines += "||host" + n + ".example^\r\n@@||host" + n + ".example/ok/\r\n/path" + n + "/banner.\r\n";
    lines += "/img" + n + "/$image\r\n";
  }
  CAdFilter& filter = Filter(lines);
  ASSERT_EQ(stats_.rules, 1200u);
  // Long addresses and many occurrences take the path that runs shared parts once over
  // the whole address.
  const std::string pad(300, 'a');
  std::string repeated;
  for (int i = 0; i < 9; ++i) repeated += "host5.example-";
  struct Case {
    std::string address;
    AdVerdict verdict;
  } cases[] = {
      {"http://host7.example/a.js", kBlock},
      {"http://cdn.host299.example/a.js", kBlock},
      {"http://host7.example/ok/a.js", kAllow},
      {"http://xhost7.example/a.js", kAllow},
      {"http://x.example/path42/banner.gif", kBlock},
      {"http://x.example/path42/banner", kAllow},
      {"http://x.example/path300/banner.gif", kAllow},
      // The literal occurs twice; only the second occurrence makes a match.
      {"http://x.example/?host5.example/&.host5.example/", kBlock},
      {"http://x.example/?host5.example/&-host5.example/", kAllow},
      {"http://" + pad + ".host7.example/x", kBlock},
      {"http://" + pad + "-host7.example/x", kAllow},
      {"http://x.example/?" + pad + "&u=http://host7.example/", kAllow},
      {"http://x.example/?" + pad + "&u=http://x.host7.example/", kBlock},
      {"http://x.example/" + repeated + ".host5.example/", kBlock},
      {"http://x.example/" + repeated + "host5.example/", kAllow},
      {"http://x.example/img3/" + pad + "gif", kBlock},
      {"http://x.example/img3/gif" + pad, kBlock},
      {"http://x.example/img3/gi" + pad, kAllow},
      {"http://x.example/gif/img3/" + pad, kAllow},
  };
  for (const Case& c : cases) {
    std::string host = c.address.substr(7, c.address.find('/', 7) - 7);
    EXPECT_EQ(filter.CheckUncached(c.address, host), c.verdict) << c.address;
  }
}

TEST_F(AdFilterTest, AnAddressSeenAgainGetsItsRememberedVerdict) {
  CAdFilter& filter = Filter("/track/$domain=news.example\r\n");
  const char* address = "http://news.example/track/p.html";
  EXPECT_EQ(filter.Check(address, "", "news.example"), kBlock);
  // The cache is keyed by address alone: another host does not run the rules again.
  EXPECT_EQ(filter.Check(address, "", "other.example"), kBlock);
  EXPECT_EQ(filter.CheckUncached(address, "other.example"), kAllow);

  files_.Put("Data\\easylistchina.txt", "");
  filter.Load(true);
  EXPECT_EQ(filter.Check(address, "", "news.example"), kBlock) << "the rules are compiled once";
  filter.Compile();
  EXPECT_EQ(filter.Check(address, "", "news.example"), kAllow) << "a new compile forgets old verdicts";
}

TEST_F(AdFilterTest, LinesThatWouldBlankWholeSitesAreSkipped) {
  CAdFilter& filter = Filter(
      "$popup,domain=a.example\r\n"
      "$script,third-party,domain=a.example|b.example\r\n"
      "@@$generichide,domain=b.example\r\n"
      "b.example#@#.ad\r\n"
      "b.example#?#div:-abp-has(.ad)\r\n"
      "b.example##.ad\r\n"
      "! comment\r\n"
      "/ads/\r\n");
  EXPECT_EQ(filter.CheckUncached("http://a.example/page.js", "a.example"), kAllow);
  EXPECT_EQ(filter.CheckUncached("http://b.example/ads/1.png", "b.example"), kBlock);
  EXPECT_EQ(stats_.rules, 1u);
  EXPECT_EQ(stats_.empty_address, 3u);
  EXPECT_EQ(stats_.element_hiding, 3u);
  EXPECT_EQ(stats_.comments, 1u);
}

TEST_F(AdFilterTest, ALineOverTheReplacementLimitIsSkippedAndTheRestWork) {
  CAdFilter& filter = Filter("/x" + std::string(kMaxReplacements + 1, '*') + "y\r\n/ads/\r\n");
  EXPECT_EQ(stats_.too_many_replacements, 1u);
  EXPECT_EQ(filter.CheckUncached("http://x.example/xy", "x.example"), kAllow);
  EXPECT_EQ(filter.CheckUncached("http://x.example/ads/", "x.example"), kBlock);
}

// Found by fuzzing: "||+++++++++ads.example^" became an expression that std::regex
// accepts and then backtracks on exponentially, holding a request for minutes.
TEST_F(AdFilterTest, ALineThatStacksRepetitionsIsSkippedAndTheRestWork) {
  CAdFilter& filter = Filter("||++++++++++++++++++++ads.example^\r\n/x*+y/\r\n/ads/\r\n");
  EXPECT_EQ(stats_.invalid_expression, 2u);
  EXPECT_EQ(stats_.rules, 1u);
  EXPECT_EQ(filter.CheckUncached("http://x.example/ads/banner.js", "x.example"), kBlock);
  EXPECT_EQ(filter.CheckUncached("http://www.ads.example/x.js", "ads.example"), kAllow);

  struct Case {
    const char* pattern;
    bool stacks;
  } cases[] = {
      {"a++", true}, {".*+", true}, {"(ab|)++", true}, {"x{2}*", true}, {"a?+", true}, {"a*??", true},
      {".*?x", false}, {"a+b*c?", false}, {"\\++", false}, {"[+*]+", false}, {"x{2,3}?", false}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(CAdRuleSet::StacksRepetitions(c.pattern), c.stacks) << c.pattern;
}

// Found by fuzzing: a count or a back-reference too large for std::regex's integers made
// it overflow while compiling.
TEST_F(AdFilterTest, ALineWithAHugeNumberIsSkipped) {
  CAdFilter& filter =
      Filter("/[9\\3139]{2777777777777}/\r\n/x{1,99999}/\r\n/a\\111111111111011/\r\n/ad{2,3}s/\r\n");
  EXPECT_EQ(stats_.invalid_expression, 3u);
  EXPECT_EQ(filter.CheckUncached("http://x.example/adds/", "x.example"), kBlock);
  struct Case {
    const char* pattern;
    bool huge;
  } cases[] = {{"a{9999}", false}, {"a{10000}", true}, {"a{1,12345}", true}, {"\\{123456}", false},
               {"[{]123456}", false}, {"a{2,3}", false}, {"(a)\\1", false}, {"(a)\\11111", true},
               {"\\\\11111", false}, {"[\\11111]", true}};
  for (const Case& c : cases) EXPECT_EQ(CAdRuleSet::HasHugeNumber(c.pattern), c.huge) << c.pattern;
}

TEST_F(AdFilterTest, AnswersAddressesOfUpTo64KilobytesWithoutRecursion) {
  CAdFilter& filter = Filter("||ads.example^\r\n/banner/*.gif\r\n");
  const std::string filler(64 * 1024 - 64, 'a');
  EXPECT_EQ(filter.CheckUncached("http://x.example/banner/" + filler + ".gif", "x.example"), kBlock);
  EXPECT_EQ(filter.CheckUncached("http://x.example/banner/" + filler + ".png", "x.example"), kAllow);
  EXPECT_EQ(filter.CheckUncached("http://" + filler + ".ads.example/", "ads.example"), kBlock);
  EXPECT_EQ(filter.CheckUncached("https://" + filler + ".ads.example/", "ads.example"), kAllow);
}

TEST_F(AdFilterTest, AnExpressionLeftToStdRegexRunsOnlyOnShortAddresses) {
  // A back-reference is beyond the engine's own matcher, and so is an expression whose
  // counted repeats expand too far; std::regex runs them, but only where it cannot exhaust
  // the stack. Past that length the rule counts as failing.
  CAdFilter& filter = Filter("/(ad)\\1/\r\n/x(ab{1,100}){0,60}y/\r\n");
  EXPECT_EQ(stats_.fallback, 2u);
  EXPECT_EQ(stats_.rules, 2u);
  EXPECT_EQ(filter.CheckUncached("http://x.example/xabbaby/", "x.example"), kBlock);
  EXPECT_EQ(filter.CheckUncached("http://x.example/adad/", "x.example"), kBlock);
  EXPECT_EQ(filter.CheckUncached("http://x.example/adbd/", "x.example"), kAllow);
  std::string long_address = "http://x.example/adad/?" + std::string(CAdRuleSet::kFallbackMaxLength, 'q');
  EXPECT_EQ(filter.CheckUncached(long_address, "x.example"), kAllow);
}

TEST_F(AdFilterTest, ChecksStayRightWhileTheRulesAreRecompiled) {
  CAdFilter& filter = Filter("||ads.example^\r\n@@||ads.example/ok/\r\n");
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&, t] {
      for (int i = 0; !stop; ++i) {
        std::string n = std::to_string(t) + "-" + std::to_string(i);
        if (filter.Check("http://ads.example/" + n, "", "ads.example") != kBlock) ++wrong;
        if (filter.Check("http://ads.example/ok/" + n, "", "ads.example") != kAllow) ++wrong;
      }
    });
  }
  for (int i = 0; i < 50; ++i) filter.Compile();
  stop = true;
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(wrong, 0);
}

TEST(VerdictCacheTest, StaysWithinItsBoundsAndKeepsAddressesInUse) {
  CVerdictCache cache(8, 1 << 20);
  cache.Store("kept", kBlock, cache.Generation());
  for (int i = 0; i < 100; ++i) {
    cache.Store("address-" + std::to_string(i), kAllow, cache.Generation());
    EXPECT_EQ(cache.Find("kept"), kBlock) << i;
    EXPECT_LE(cache.Size(), 8u);
  }
  EXPECT_FALSE(cache.Find("address-0").has_value()) << "the oldest are forgotten";

  CVerdictCache small_bytes(1000, 64);
  small_bytes.Store(std::string(40, 'x'), kBlock, 0);
  EXPECT_FALSE(small_bytes.Find(std::string(40, 'x')).has_value()) << "longer than half the byte limit";
  for (int i = 0; i < 20; ++i) small_bytes.Store("addr-" + std::to_string(i), kAllow, 0);
  EXPECT_LE(small_bytes.Size(), 64u / 6);
}

TEST(VerdictCacheTest, AVerdictFromBeforeAClearIsNotStored) {
  CVerdictCache cache;
  uint64_t before = cache.Generation();
  cache.Clear();
  cache.Store("a", kBlock, before);
  EXPECT_FALSE(cache.Find("a").has_value());
  cache.Store("a", kBlock, cache.Generation());
  EXPECT_EQ(cache.Find("a"), kBlock);
}

}  // namespace
