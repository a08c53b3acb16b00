#include "rules/ad_rule_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AdRuleTextTest, TranslatesLinesStepByStep) {
  struct Case {
    const char* line;
    const char* url_pattern;
    const char* site_text;
    bool is_exception;
    bool third_party;
  } cases[] = {
      {"/ads/banner.", "/ads/banner\\.", ".*", false, false},
      {" /ad s\t/x?y\r", "/ads/x\\?y", ".*", false, false},
      {"-ad-*.gif", "-ad-.*\\.gif", ".*", false, false},
      {"&adtype=^", "&adtype=.", ".*", false, false},
      {"||ads.example.com^", "^http://(.*?\\.|)ads\\.example\\.com.", ".*", false, false},
      {"||ads.example.com^$third-party", "^http://(.*?\\.|)ads\\.example\\.com.", ".*", false, true},
      {"@@||good.example.com^$image", "^http://(.*?\\.|)good\\.example\\.com..*(jpg|png|bmp|gif)", ".*", true, false},
      {"|http://x.example/", "^http://x\\.example/", ".*", false, false},
      // The end anchor of a final "|" becomes the first "$" and is cut off with the options.
      {"/banner.swf|", "/banner\\.swf", ".*", false, false},
      {"a|b", "a\\|b", ".*", false, false},
      {"/ad.js$script,object,image", "/ad\\.js.*(jpg|png|bmp|gif|swf|jar|js|vbs)", ".*", false, false},
      {"/frame/$subdocment", "/frame/.*(.*)", ".*", false, false},
      {"/frame/$subdocument", "/frame/", ".*", false, false},
      {"/req/$subrequest", "/req/.*(.*)", ".*", false, false},
      {"/ad/$domain=a.example", "/ad/", "a\\.example", false, false},
      {"/ad/$domain=a.example|b.example,image", "/ad/.*(jpg|png|bmp|gif)", "(a\\.example|b\\.example)", false, false},
      {"/ad/$domain=~a.example", "/ad/", ".*\\.a\\.example", false, false},
      {"/ad/$domain=~a.example|b.example", "/ad/", "(.*\\.a\\.example|b\\.example)", false, false},
      {"/ad/$image,domain=a.example,third-party", "/ad/.*(jpg|png|bmp|gif)", "a\\.example", false, true},
      {"/(ads)+[0-9]{2}/", "/(ads)+[0-9]{2}/", ".*", false, false},
      {"|", "", ".*", false, false},
  };
  for (const Case& c : cases) {
    AdRuleText rule;
    ASSERT_EQ(TranslateAdLine(c.line, rule), AdLineKind::kRule) << c.line;
    EXPECT_EQ(rule.url_pattern, c.url_pattern) << c.line;
    EXPECT_EQ(rule.site_text, c.site_text) << c.line;
    EXPECT_EQ(rule.is_exception, c.is_exception) << c.line;
    EXPECT_EQ(rule.third_party, c.third_party) << c.line;
  }
}

TEST(AdRuleTextTest, SkipsLinesThatAreNoAddressRules) {
  struct Case {
    const char* line;
    AdLineKind kind;
  } cases[] = {
      {"", AdLineKind::kComment},
      {" \t\r\n", AdLineKind::kComment},
      {"! comment", AdLineKind::kComment},
      {"[Adblock Plus 2.0]", AdLineKind::kComment},
      {"example.com##.ad", AdLineKind::kElementHiding},
      {"##.banner", AdLineKind::kElementHiding},
      {"example.com#@#.ad", AdLineKind::kElementHiding},
      {"example.com#?#div:-abp-has(.ad)", AdLineKind::kElementHiding},
      {"example.com#$#abort-on-property-read x", AdLineKind::kElementHiding},
      // Nothing before the options would match every address of the sites named.
      {"$popup,domain=a.example", AdLineKind::kEmptyAddress},
      {"$script,third-party,domain=a.example|b.example", AdLineKind::kEmptyAddress},
      {"@@$generichide,domain=a.example", AdLineKind::kEmptyAddress},
      {"@@", AdLineKind::kEmptyAddress},
  };
  for (const Case& c : cases) {
    AdRuleText rule;
    EXPECT_EQ(TranslateAdLine(c.line, rule), c.kind) << c.line;
  }
}

TEST(AdRuleTextTest, SkipsALineThatNeedsMoreThanTheReplacementLimit) {
  AdRuleText rule;
  std::string at_limit = "/x" + std::string(kMaxReplacements, '*');
  ASSERT_EQ(TranslateAdLine(at_limit, rule), AdLineKind::kRule);
  EXPECT_EQ(rule.url_pattern.size(), 2 + 2u * kMaxReplacements);

  EXPECT_EQ(TranslateAdLine("/x" + std::string(kMaxReplacements + 1, '*'), rule), AdLineKind::kTooManyReplacements);
  EXPECT_EQ(TranslateAdLine("/x" + std::string(kMaxReplacements + 1, '|') + "y", rule), AdLineKind::kTooManyReplacements);
  std::string sites = "/x$domain=" + std::string(kMaxReplacements + 1, '~') + "a";
  EXPECT_EQ(TranslateAdLine(sites, rule), AdLineKind::kTooManyReplacements);
}

}  // namespace
