#include "proxy/url_helpers.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

TEST(UrlHelpersTest, SplitUrl) {
  struct Case {
    std::string url, host;
    uint16_t port;
    std::string path;
    bool port_ok;
  } cases[] = {
      {"http://example.test:8080/x", "example.test", 8080, "/x", true},
      {"http://example.test", "example.test", 80, "/", true},
      {"http://example.test/a?b=1", "example.test", 80, "/a?b=1", true},
      {"example.test:443", "example.test", 443, "/", true},
      {"http://h.test/p:1", "h.test", 80, "/p:1", true},                 // a colon after the slash is path
      {"http://h.test:/x", "h.test", 0, "/x", true},                      // empty port reads as 0
      {"h.test:123456789", "h.test", 0, "/", false},                      // beyond 65535
      {"h.test:1234567890", "h.test", 0, "/", false},                     // ten characters
      {"/local?u=http://x.test/y", "u=http", 0, "//x.test/y", true},     // "http://" anywhere skips 7
      {"http://a.test:8\0:9/z"s, "a.test", 8, "/", true},                 // ends at the NUL
      {"[::1]:8443", "[::1]", 8443, "/", true},                            // a bracketed host keeps its colons
      {"http://[::1]/x", "[::1]", 80, "/x", true},
  };
  for (const Case& c : cases) {
    UrlParts parts = SplitUrl(c.url);
    EXPECT_EQ(parts.host, c.host) << c.url;
    EXPECT_EQ(parts.port_ok, c.port_ok) << c.url;
    if (c.port_ok) {
      EXPECT_EQ(parts.port, c.port) << c.url;
    }
    EXPECT_EQ(parts.path, c.path) << c.url;
  }
}

TEST(UrlHelpersTest, RefererHost) {
  struct Case {
    std::string head, host;
  } cases[] = {
      {"GET / HTTP/1.1\r\nReferer: https://www.site.test:8443/page\r\n\r\n", "site.test"},
      {"GET / HTTP/1.1\r\nReferer: http://a.site.test/x?y=1\r\n\r\n", "a.site.test"},
      {"GET / HTTP/1.1\r\nReferer: site.test\r\n\r\n", "site.test"},
      {"GET / HTTP/1.1\r\nreferer: http://site.test/\r\n\r\n", ""},  // case-sensitive name
      {"GET / HTTP/1.1\r\nReferer: \r\n\r\n", ""},
      {"GET / HTTP/1.1\r\nReferer: http://site.test/", ""},  // no line end
      {"GET / HTTP/1.1\r\n\r\n", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(RefererHost(c.head), c.host) << c.head;
}

TEST(UrlHelpersTest, BaseDomain) {
  struct Case {
    std::string host, base;
  } cases[] = {
      {"a.b.example.com", "example.com"},    {"example.com", "example.com"},
      {"news.site.com.cn", "site.com.cn"},   {"www.news.example.net.cn", "example.net.cn"},
      {"10.0.0.1", "10.0.0.1"},              {"localhost", ""},
      {"", ""},                              {"http://www.x.example.org:80/p", "example.org"},
      {"www.example.com", "example.com"},    {"Example.COM.", "example.com"},
      {"shop.example.co.uk", "example.co.uk"}, {"example.com.cn", "example.com.cn"},
      {"me.example.github.io", "example.github.io"}, {"co.uk", ""},
      {"www.city.kawasaki.jp", "city.kawasaki.jp"},  // an exception to a wildcard rule
      {"a.b.kawasaki.jp", "a.b.kawasaki.jp"},        // every b.kawasaki.jp is a suffix
      {"a.example.test", "example.test"},            // a suffix no rule names: its last label
      {"\xE4\xBE\x8B\xE5\xAD\x90.\xE4\xB8\xAD\xE5\x9B\xBD", "xn--fsqu00a.xn--fiqs8s"},
  };
  for (const Case& c : cases) EXPECT_EQ(BaseDomain(c.host), c.base) << c.host;
}

TEST(UrlHelpersTest, UrlDecoding) {
  EXPECT_EQ(UrlDecode("%E4%BD%A0"), "\xE4\xBD\xA0");
  EXPECT_EQ(UrlDecode("a+b%20c"), "a b c");
  EXPECT_EQ(UrlDecode("%zz"), "\xFF");       // (0xFF << 4) | 0xFF, cut to a byte
  EXPECT_EQ(UrlDecode("%4"), "%4");          // too short: copied as it stands
  EXPECT_EQ(UrlDecode("x%"), "x%");
  EXPECT_EQ(UrlDecodeToLocal("q=%E4%BD%A0%E5%A5%BD"), "q=\xC4\xE3\xBA\xC3");  // 你好 in GBK
  EXPECT_EQ(UrlDecodeToLocal("a%00b"), "a");
  EXPECT_EQ(UrlDecodeToLocal("ok%E4%BD"), "ok");  // incomplete sequence ends the text
  EXPECT_EQ(HighBytes("a\xC4\xE3-b\xBA\xC3"), "\xC4\xE3\xBA\xC3");
}

TEST(UrlHelpersTest, LooksLikeUtf8) {
  EXPECT_EQ(LooksLikeUtf8("plain ascii"), 0);
  EXPECT_EQ(LooksLikeUtf8("\xEF\xBB\xBF"), 1);
  EXPECT_EQ(LooksLikeUtf8("\xE4\xBD\xA0\xE5\xA5\xBD"), 1);
  EXPECT_EQ(LooksLikeUtf8("\xC4\xE3\xBA\xC3"), 0);  // GBK
  EXPECT_EQ(LooksLikeUtf8(""), 0);
}

TEST(UrlHelpersTest, ReplaceAllResumesAfterTheInsertedText) {
  struct Case {
    std::string text, from, to, result;
  } cases[] = {
      {"banana", "a", "aa", "baanaanaa"}, {"banana", "an", "", "ba"}, {"banana", "x", "y", "banana"},
      {"banana", "", "y", "banana"},      {"", "a", "b", ""},         {"aaa", "a", "a", "aaa"},
  };
  for (Case c : cases) {
    ReplaceAll(c.text, c.from, c.to);
    EXPECT_EQ(c.text, c.result);
  }
}

}  // namespace
