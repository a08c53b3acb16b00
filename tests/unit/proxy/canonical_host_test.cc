#include "proxy/canonical_host.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

TEST(CanonicalHostTest, EveryWritingOfAHostGivesOneForm) {
  struct Case {
    std::string written, canonical;
  } cases[] = {
      {"example.com", "example.com"},
      {"Example.COM", "example.com"},
      {"example.com.", "example.com"},
      {"example.com..", "example.com"},
      {"EXAMPLE.com.:8080", "example.com"},
      {"example.com:443", "example.com"},
      {"\xEF\xBC\xA5xample\xE3\x80\x82" "com", "example.com"},        // fullwidth E, ideographic full stop
      {"\xE4\xBE\x8B\xE5\xAD\x90.\xE6\xB5\x8B\xE8\xAF\x95", "xn--fsqu00a.xn--0zwm56d"},  // 例子.测试
      {"b\xC3\xBC" "cher.de", "xn--bcher-kva.de"},
      {"B\xC3\x9C" "CHER.de", "xn--bcher-kva.de"},                     // capital Ü folds first
      {"xn--bcher-kva.de", "xn--bcher-kva.de"},
      {"m\xC3\xBCnchen.\xD1\x80\xD1\x84", "xn--mnchen-3ya.xn--p1ai"},  // .рф
      {"127.0.0.1", "127.0.0.1"},
      {"2130706433", "127.0.0.1"},
      {"0177.0.0.1", "127.0.0.1"},
      {"0x7f.1", "127.0.0.1"},
      {"0X7F.0.0.0X1:80", "127.0.0.1"},
      {"127.1", "127.0.0.1"},
      {"10.0.258", "10.0.1.2"},
      {"4294967296", "4294967296"},                                    // beyond 32 bits: not an address
      {"256.1.1.1", "256.1.1.1"},
      {"08.1.1.1", "08.1.1.1"},                                        // 8 is no octal digit
      {"1.2.3.4.5", "1.2.3.4.5"},
      {"[::1]", "[::1]"},
      {"[::1]:8080", "[::1]"},
      {"[0:0:0:0:0:0:0:1]", "[::1]"},
      {"[2001:DB8:0:0:1:0:0:1]", "[2001:db8::1:0:0:1]"},
      {"[::ffff:127.0.0.1]", "[::ffff:7f00:1]"},
      {"::1", "[::1]"},
      {"[not-an-address]", "[not-an-address]"},
      {"[1::2::3]", "[1::2::3]"},
      {"", ""},
      {".", ""},
      {"a.test\0.evil"s, "a.test"},
      {"\xB0\xA1.test", "\xB0\xA1.test"},                              // not UTF-8: kept
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CanonicalHost(c.written), c.canonical) << c.written;
    EXPECT_EQ(CanonicalHost(c.canonical), c.canonical) << "stays as it is: " << c.canonical;
  }
}

}  // namespace
