#include "proxy/page_rewrite.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data_files.h"
#include "gzip.h"
#include "memory_file_system.h"
#include "proxy/memory_budget.h"
#include "rules/word_filter.h"

namespace {

TEST(PageRewriteTest, ChunkedBodiesDecode) {
  struct Case {
    std::string body, decoded;
  } cases[] = {
      {"5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n", "hello world"},
      {"0x3\r\nabc\r\n0\r\n\r\n", "abc"},          // read as strtol reads base 16
      {"A\r\n0123456789\r\n0\r\n\r\n", "0123456789"},
      {"9\r\nshort", "short"},                      // a cut-off last chunk keeps what came
      {"no line end", ""},
      {"zz\r\nabc\r\n", ""},                        // not a number: size 0 ends it
      {"-5\r\nabcde\r\n", ""},
  };
  for (const Case& c : cases) {
    std::string body = c.body;
    DecodeChunkedInPlace(body);
    EXPECT_EQ(body, c.decoded) << c.body;
  }
}

TEST(PageRewriteTest, GzipInflatesWithinItsLimits) {
  auto inflate = [](std::string body, Inflation* result, CBudgetShare* budget = nullptr) {
    *result = Gunzip(body, budget);
    return body;
  };
  Inflation result = Inflation::kNotGzip;
  std::string text = "some text to compress, some text to compress";
  EXPECT_EQ(inflate(Gzip(text), &result), text);
  EXPECT_EQ(result, Inflation::kInflated);

  std::string cut = Gzip(std::string(5000, 'a') + std::string(5000, 'b'), 9);
  EXPECT_EQ(inflate(cut, &result).size(), kInflateRatio * cut.size()) << "cut at 18 times the compressed size";
  EXPECT_EQ(result, Inflation::kInflated);

  EXPECT_EQ(inflate(Gzip(std::string("before\0after", 12)), &result), "before") << "cut at the first NUL";

  std::string whole = Gzip(text);
  std::string truncated = whole.substr(0, whole.size() - 12);
  std::string partial = inflate(truncated, &result);
  EXPECT_EQ(result, Inflation::kInflated) << "a stream that stops early keeps what it gave";
  EXPECT_TRUE(text.starts_with(partial)) << partial;

  std::string damaged = whole;
  damaged[3] = '\xFF';  // reserved header flags
  EXPECT_EQ(inflate(damaged, &result), damaged);
  EXPECT_EQ(result, Inflation::kNotGzip) << "damaged data leaves the body as it was";

  CMemoryBudget budget(100);
  {
    CBudgetShare share(budget);
    EXPECT_EQ(inflate(cut, &result, &share), cut);
    EXPECT_EQ(result, Inflation::kOverBudget) << "no room for the inflated page: the body stays as it was";
  }
  EXPECT_EQ(budget.Used(), 0u);
}

TEST(PageRewriteTest, LinkFilteringCountsAndStopsAfterTenThousandAnchors) {
  MemoryFileSystem files;
  ScopedSeam<FileSystem> files_seam(files);
  WriteListFile("Data\\word.kezo", {"porn"}, true);
  CWordFilter black(true);
  black.Rebuild();

  std::string text;
  for (int i = 0; i < 10010; ++i) text += "<a href=x>porn</a>";
  LinkCounts counts = FilterLinks(text, true, black, nullptr);
  EXPECT_EQ(counts.examined, 10001);
  EXPECT_EQ(counts.removed, 10001);
  EXPECT_EQ(text.size(), 9 * std::string("<a href=x>porn</a>").size());
  EXPECT_DOUBLE_EQ(counts.RemovedShare(), 100.0);

  std::string plain = "no links";
  EXPECT_TRUE(std::isnan(FilterLinks(plain, false, black, nullptr).RemovedShare()));
}

}  // namespace
