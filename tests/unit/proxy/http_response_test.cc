#include "proxy/http_response.h"

#include <gtest/gtest.h>

#include "config/process_flags.h"
#include "config/settings.h"
#include "data_files.h"
#include "gzip.h"
#include "memory_file_system.h"
#include "memory_profile_store.h"
#include "proxy/memory_budget.h"
#include "rules/page_assets.h"
#include "rules/word_filter.h"

namespace {

class HttpResponseTest : public ::testing::Test {
 protected:
  HttpResponseTest() {
    WriteListFile("Data\\word.kezo", {"色情", "porn"}, true);
    WriteListFile("Data\\whiteword.kezo", {"porn study"}, true);
    WriteTextFile("Data\\WebBottomTips.txt", "<p>TIP</p>", false);
    WriteTextFile("Data\\Inject.kezo", "<script>S</script>", false);
    WriteTextFile("Data\\Control.html", "<div>BAR</div>", false);
    WriteListFile("Data\\xiu_shen_tips.txt", {"x"}, false);
    black_.Rebuild();
    white_.Rebuild();
    assets_ = std::make_unique<CPageAssets>(setup_);
    setup_.WebControl = 1;
  }

  // The whole response as the browser would get it once the server has closed.
  std::string Rewrite(const std::string& server_reply) {
    CHttpResponse response(&black_, &white_, assets_.get(), setup_);
    EXPECT_TRUE(response.Take(server_reply).empty()) << "a page is held until it is complete";
    EXPECT_TRUE(response.IsPage());
    std::string out;
    EXPECT_EQ(response.Finish(out), ResponseStep::kPageReady);
    return out;
  }

  MemoryFileSystem files_;
  MemoryProfileStore profile_;
  ScopedSeam<FileSystem> files_seam_{files_};
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  SetupRecord setup_;
  CWordFilter black_{true};
  CWordFilter white_{false};
  std::unique_ptr<CPageAssets> assets_;
};

TEST_F(HttpResponseTest, BannedLinksGoAndThePiecesStandBeforeTheEndOfTheHead) {
  std::string body = "<html><head><title>t</title></head><body>"
                     "<a href=\"/1\">news</a><a href=\"/2\">porn clips</a><a href=\"/3\">医学 porn study</a>"
                     "<a href=\"/4\">porn study, porn clips</a></body></html>";
  ServersStopping = false;
  int before = setup_.FilterCount;
  std::string reply = Rewrite("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                              std::to_string(body.size()) + "\r\n\r\n" + body);
  std::string expected_body = "<html><head><title>t</title><p>TIP</p><div>BAR</div><script>S</script></head><body>"
                              "<a href=\"/1\">news</a><a href=\"/3\">医学 porn study</a></body></html>";
  EXPECT_EQ(reply, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                       std::to_string(expected_body.size()) + "\r\n\r\n" + expected_body);
  EXPECT_EQ(setup_.FilterCount - before, 2) << "the removed links are counted";
}

TEST_F(HttpResponseTest, ChunkedGzipPagesAreDecodedBeforeFiltering) {
  std::string page = "<html><head></head><body><a href=\"/x\">色情</a>ok</body></html>";
  std::string gz = Gzip(page);
  std::string chunked;
  for (size_t at = 0; at < gz.size(); at += 10) {
    std::string piece = gz.substr(at, 10);
    char size[16];
    std::snprintf(size, sizeof size, "%zx;ext=1\r\n", piece.size());
    chunked += size + piece + "\r\n";
  }
  chunked += "0\r\n\r\n";
  setup_.WebControl = 0;
  std::string reply = Rewrite("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                              "Transfer-Encoding: chunked\r\nContent-Encoding: gzip\r\n\r\n" + chunked);
  EXPECT_EQ(reply, "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nTransfer-Encoding: none\r\n"
                   "Content-Encoding: none\r\n\r\n<html><head><p>TIP</p><script>S</script></head><body>ok</body></html>");
}

TEST_F(HttpResponseTest, WhatIsNotAPageOrCannotBeRewrittenPassesAsItCame) {
  CHttpResponse stream(&black_, &white_, assets_.get(), setup_);
  EXPECT_EQ(stream.Take("HTTP/1.1 200 OK\r\nContent-Type:text/plain\r\n"), "");
  EXPECT_EQ(stream.Take("\r\n<a href=x>porn</a>"), "HTTP/1.1 200 OK\r\nContent-Type:text/plain\r\n\r\n<a href=x>porn</a>")
      << "not a page: streamed, and only once the head is whole";
  EXPECT_EQ(stream.Take("more"), "more");

  std::string zlib_page = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n\x78\x9C<a href=x>porn</a></head>";
  EXPECT_EQ(Rewrite(zlib_page), zlib_page);

  std::string frames = "<html><head></head><FRAMESET><frame src=a></FRAMESET></html>";
  EXPECT_EQ(Rewrite("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n" + frames),
            "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n" + frames) << "a frameset page gets no pieces";

  std::string no_tags = Rewrite("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<a href=x>porn</a>kept");
  EXPECT_EQ(no_tags, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\nkept") << "filtered, nothing injected";
}

TEST_F(HttpResponseTest, APageWithBareLineFeedsGetsAHeadOfCrLfLines) {
  setup_.WebControl = 0;
  std::string page = Rewrite("HTTP/1.1 200 OK\nContent-Type: text/html\nContent-Length: 26\ncontent-length: 26\n\n"
                             "<a href=x>porn</a>kept\n\nend");
  EXPECT_EQ(page, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 9\r\n\r\nkept\n\nend")
      << "the duplicate length goes, and the body keeps its own line feeds";
}

TEST_F(HttpResponseTest, AHeadIsFoundHoweverItIsSplitAndGivenUpPastItsBound) {
  // Line ends as browsers read them: CR LF, bare LF, or both mixed.
  for (std::string head : {"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n", "HTTP/1.1 200 OK\nContent-Type: text/plain\n\n",
                           "HTTP/1.1 200 OK\r\nContent-Type: text/plain\n\r\n", "HTTP/1.1 200 OK\nContent-Type: text/plain\r\n\n"}) {
    const std::string reply = head + "body\n\n";
    for (size_t piece : {1, 2, 3, 5, 47}) {
      CHttpResponse response(&black_, &white_, assets_.get(), setup_);
      std::string passed;
      for (size_t at = 0; at < reply.size(); at += piece) passed += response.Take(reply.substr(at, piece));
      EXPECT_EQ(response.Head(), head) << piece;
      EXPECT_EQ(passed, reply) << piece << ": not a page, passed as it came";
    }
  }

  CHttpResponse endless(&black_, &white_, assets_.get(), setup_);
  const std::string line = "X-Padding: " + std::string(1000, 'p') + "\r\n";
  std::string passed = endless.Take("HTTP/1.1 200 OK\r\n");
  while (endless.Received() < 4 * CHttpResponse::kMaxHeadSize) passed += endless.Take(line);
  EXPECT_TRUE(endless.HeadTooLarge());
  EXPECT_FALSE(endless.HeadComplete());
  EXPECT_EQ(passed, "");
  EXPECT_LE(endless.Data().size(), CHttpResponse::kMaxHeadSize + line.size()) << "nothing kept past the bound";
  EXPECT_EQ(endless.Take("\r\n\r\nlate"), "") << "a blank line after the bound changes nothing";
  EXPECT_FALSE(endless.HeadComplete());
}

// A page of known length is charged whole when its head is in, so the budget bounds what
// the connections have reserved, not only what has arrived.
TEST_F(HttpResponseTest, APageIsChargedWholeOnceItsHeadGivesItsLength) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 40000\r\n\r\n";
  CMemoryBudget budget(64 * 1024);
  {
    CBudgetShare share(budget);
    CHttpResponse response(&black_, &white_, assets_.get(), setup_, &share);
    std::string out;
    EXPECT_EQ(response.Advance(head + "<html>", out), ResponseStep::kNeedMore);
    EXPECT_GE(budget.Used(), head.size() + 40000);
    CBudgetShare second_share(budget);
    CHttpResponse second(&black_, &white_, assets_.get(), setup_, &second_share);
    EXPECT_EQ(second.Advance(head, out), ResponseStep::kAbort) << "no room left beside the first page";
    EXPECT_TRUE(second.OverBudget());
  }
  EXPECT_EQ(budget.Used(), 0u);
}

TEST(HttpRepliesTest, ImageAndTipReplies) {
  std::string gif(43, 'G');
  EXPECT_EQ(CHttpResponse::ImageReply(gif),
            "HTTP/1.0 200 OK\r\nContent-Length: 43\r\nConnection: close\r\nContent-Type: image/gif\r\n\r\n" + gif);
  std::string tip = BuildTipPage("200 OK", "http://localhost:809/IntellFilterTip.html");
  EXPECT_TRUE(tip.starts_with("HTTP/1.0 200 OK \r\nContent-Type: text/html; charset=gb2312\r\n"));
  EXPECT_NE(tip.find("content='0;URL=http://localhost:809/IntellFilterTip.html'"), std::string::npos);
}

}  // namespace
