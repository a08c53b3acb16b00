#include "proxy/safe_search.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SafeSearchTest, SearchHostsMapToTheirSafeEndpointsAndNothingElseDoes) {
  struct Case {
    std::string host, safe;
  } cases[] = {
      {"www.google.com", "forcesafesearch.google.com"},  {"google.com", "forcesafesearch.google.com"},
      {"www.google.co.uk", "forcesafesearch.google.com"}, {"www.google.com.hk", "forcesafesearch.google.com"},
      {"www.youtube.com", "restrict.youtube.com"},        {"m.youtube.com", "restrict.youtube.com"},
      {"youtubei.googleapis.com", "restrict.youtube.com"}, {"cn.bing.com", "strict.bing.com"},
      {"www.bing.com", "strict.bing.com"},                {"duckduckgo.com", "safe.duckduckgo.com"},
      {"mail.google.com", ""},                            {"forcesafesearch.google.com", ""},
      {"maps.google.co.uk", ""},                          {"www.google.evil.example", ""},
      {"google.com.example", ""},                         {"notyoutube.com", ""},
      {"strict.bing.com", ""},                            {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(SafeSearchEndpoint(c.host), c.safe) << c.host;
}

}  // namespace
