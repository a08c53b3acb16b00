// Filtered pages through the real proxy: a local web server, the proxy on a free port and
// a browser-like client.
#include <gtest/gtest.h>
#include <zlib.h>

#include "config/process_flags.h"
#include "config/profile_values.h"
#include "data_files.h"
#include "loopback_network.h"
#include "memory_profile_store.h"
#include "platform/file_system.h"
#include "proxy/http_head.h"
#include "proxy/http_response.h"
#include "proxy/local_proxy.h"
#include "proxy/proxy_session.h"
#include "temp_folder.h"
#include "test_origin.h"
#include "test_pages.h"

namespace {

const std::string kBlankGif = std::string("GIF89a", 6) + std::string(37, '\x01');

std::string Gzip(const std::string& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size())) + 32;
  std::string out(size, '\0');
  z_stream stream{};
  deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

class PipelineTest : public ::testing::Test {
 protected:
  PipelineTest() {
    ServersStopping = false;
    std::filesystem::create_directories(folder_.path() / "www");
    std::filesystem::create_directories(folder_.path() / "Images");
    WriteListFile("Data\\word.kezo", {"porn"}, true);
    WriteListFile("Data\\whiteword.kezo", {"medical"}, true);
    WriteListFile("Data\\UserNoImageDomain.txt", {"nopics.test"}, false);
    WriteTextFile("Data\\Inject.kezo", "<script>S</script>", false);
    WriteTextFile("www\\404.htm", kBlockPage, false);
    FileSystem::Current().Replace("Images\\none.gif", kBlankGif);
    WriteProfile(profile::kXiuShenTip, 0);
    setup_.WebControl = 0;
    black_ = std::make_unique<CWordFilter>(true);
    white_ = std::make_unique<CWordFilter>(false);
    proxy_ = std::make_unique<CLocalProxy>(0, lists_, setup_);
    proxy_->Config().SetWordFilters(black_.get(), white_.get());
    proxy_->Config().SetControlServerPort(8809);
  }
  ~PipelineTest() override {
    proxy_->Stop();
    ServersStopping = false;
  }
  void Start() { proxy_->Start(); }

  // What the browser receives for a GET of `path` on `host`.
  std::string Fetch(const std::string& host, const std::string& path) {
    TestClient client(proxy_->Port());
    client.Send("GET http://" + host + ":" + std::to_string(origin_.port()) + path + " HTTP/1.1\r\n\r\n");
    return client.ReadToEnd();
  }

  ScopedTempWorkingFolder folder_;
  MemoryProfileStore profile_;
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  LoopbackNetwork network_;
  ScopedSeam<Network> network_seam_{network_};
  std::map<std::string, std::string> replies_;  // by request path
  TestOrigin origin_{[this](const std::string& request) {
    std::string path = request.substr(4, request.find(' ', 4) - 4);
    return replies_.count(path) ? replies_[path] : TestOrigin::Response("none");
  }};
  SharedLists lists_;
  SetupRecord setup_;
  std::unique_ptr<CWordFilter> black_, white_;
  std::unique_ptr<CLocalProxy> proxy_;
};

TEST_F(PipelineTest, PagesArriveWithoutBannedLinksWithThePiecesAndACorrectLength) {
  replies_["/plain"] = PageReply(LinkPage(3, 1));
  std::string page = LinkPage(3, 1);
  replies_["/gzip"] = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n"
                      "Content-Encoding: gzip\r\n\r\n";
  std::string gz = Gzip(page);
  char size[16];
  std::snprintf(size, sizeof size, "%zx\r\n", gz.size());
  replies_["/gzip"] += size + gz + "\r\n0\r\n\r\n";
  Start();

  std::string expected_body = "<html><head><script>S</script></head><body><a href=\"/1\">news</a>"
                              "<a href=\"/2\">news</a></body></html>";
  EXPECT_EQ(Fetch("site.test", "/plain"), "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                               std::to_string(expected_body.size()) + "\r\n\r\n" + expected_body);
  EXPECT_EQ(Fetch("site.test", "/gzip"), "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: none\r\n"
                                         "Content-Encoding: none\r\n\r\n" + expected_body);
  EXPECT_EQ(setup_.FilterCount, 2);
  EXPECT_EQ(origin_.Requests()[0].substr(0, 20), "GET /plain HTTP/1.0\r");
}

// Header fields were matched in one spelling only: a page whose server wrote them in lower
// case, without a space or without a reason phrase went out unfiltered, still marked gzip
// after it was inflated, or waited for the server to close.
TEST_F(PipelineTest, PagesAreFilteredWhateverTheSpellingOfTheirHead) {
  const std::string gz = Gzip(LinkPage(2, 1));
  const std::string heads[] = {
      "HTTP/1.1 200 OK\r\ncontent-type: text/html\r\ncontent-encoding: gzip\r\ncontent-length: " +
          std::to_string(gz.size()) + "\r\n\r\n" + gz,
      "HTTP/1.1 200\r\nContent-Type: TEXT/HTML; charset=utf-8\r\nContent-Length: " +
          std::to_string(LinkPage(2, 1).size()) + "\r\n\r\n" + LinkPage(2, 1),
      "HTTP/1.0 200 OK\r\nContent-Type:text/html\r\nCONTENT-LENGTH:" + std::to_string(LinkPage(2, 1).size()) +
          "\r\n\r\n" + LinkPage(2, 1),
  };
  Start();
  const std::string body = "<html><head><script>S</script></head><body><a href=\"/1\">news</a></body></html>";
  for (const std::string& reply : heads) {
    // The server keeps the connection open: the page is complete by its length alone.
    TestOrigin open_server([&](TestOrigin& origin, SocketHandle socket) {
      SendAll(socket, reply);
      origin.WaitForClose(socket, 30000);
    });
    TestClient client(proxy_->Port());
    client.Send("GET http://site.test:" + std::to_string(open_server.port()) + "/ HTTP/1.1\r\n\r\n");
    std::optional<std::string> got = client.ReadToEndWithin(std::chrono::seconds(20));
    ASSERT_TRUE(got) << reply.substr(0, 40);
    size_t body_at = got->find("\r\n\r\n") + 4;
    EXPECT_EQ(got->substr(body_at), body) << reply.substr(0, 40);
    std::string head = got->substr(0, body_at);
    EXPECT_EQ(FindHeaderField(head, "Content-Length"), std::to_string(body.size())) << head;
    EXPECT_NE(FindHeaderField(head, "Content-Encoding"), "gzip") << head;
  }
}

TEST_F(PipelineTest, ResponsesThatAreNotRewrittenPassExactly) {
  const std::string zlib = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n\x78\x9C<a x>porn</a></head>";
  const std::string not_found = "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\n<a x>porn</a>";
  replies_["/zlib"] = zlib;
  replies_["/missing"] = not_found;
  Start();
  EXPECT_EQ(Fetch("site.test", "/zlib"), zlib);
  EXPECT_EQ(Fetch("site.test", "/missing"), not_found);
}

TEST_F(PipelineTest, PicturesAreSwappedAccordingToTheNoPictureMode) {
  const std::string big = "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 5000\r\n\r\n" + std::string(5000, 'J');
  const std::string small = "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 100\r\n\r\n" + std::string(100, 'j');
  const std::string unsized = "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\n\r\n" + std::string(5000, 'u');
  replies_["/big.jpg"] = big;
  replies_["/small.jpg"] = small;
  replies_["/unsized.jpg"] = unsized;
  replies_["/favicon.ico"] = big;
  Start();
  const std::string image_reply = CHttpResponse::ImageReply(kBlankGif);

  setup_.NonePicture = 1;
  EXPECT_EQ(Fetch("any.test", "/big.jpg"), image_reply);
  EXPECT_EQ(Fetch("any.test", "/small.jpg"), small);
  EXPECT_EQ(Fetch("any.test", "/unsized.jpg"), unsized);
  EXPECT_EQ(Fetch("any.test", "/favicon.ico"), big);

  setup_.NonePicture = 2;
  EXPECT_EQ(Fetch("any.test", "/big.jpg"), big) << "only listed sites";
  EXPECT_EQ(Fetch("www.nopics.test", "/big.jpg"), image_reply) << "by base domain";

  replies_["/page"] = PageReply("<html><head></head></html>");
  std::string page = Fetch("nopics.test", "/page");
  EXPECT_NE(page.find("<script>kezo_data.no_img='1';kezo_data.do_filter();</script></head>"), std::string::npos);
}

TEST_F(PipelineTest, EveryWritingOfABlackHostIsRefused) {
  WriteListFile("Data\\blackdomain.kezo", {"black.test", "xn--fsqu00a.test", "127.0.0.9", "[::1]", "cdn.site.test"}, true);
  replies_["/"] = TestOrigin::Response("fetched");
  Start();
  for (std::string host : {"black.test", "BLACK.Test", "black.test.", "www.Black.TEST.", "\xE4\xBE\x8B\xE5\xAD\x90.test",
                           "127.0.0.9", "2130706441", "0177.0.0.011", "0x7f.9", "[::1]", "[0:0::1]", "Img.CDN.site.test."}) {
    EXPECT_EQ(Fetch(host, "/"), kBlockPage) << host;
    TestClient tunnel(proxy_->Port());
    tunnel.Send("CONNECT " + host + ":443 HTTP/1.1\r\n\r\n");
    EXPECT_EQ(tunnel.ReadToEnd(), CProxySession::RefusedTunnelReply()) << "CONNECT " << host;
  }
  EXPECT_NE(Fetch("Site.Test.", "/").find("fetched"), std::string::npos) << "an ordinary host still connects";
}

TEST_F(PipelineTest, SearchEnginesAreConnectedToTheirSafeSearchAddresses) {
  network_.AddName("forcesafesearch.google.com");
  network_.AddName("strict.bing.com");
  replies_["/search"] = TestOrigin::Response("results");
  Start();
  std::string port = std::to_string(origin_.port());
  // Only the safe names resolve here: a reply proves the proxy connected to them, while the
  // browser's request still names its own host.
  EXPECT_NE(Fetch("www.Google.co.uk.", "/search").find("results"), std::string::npos);
  TestClient tunnel(proxy_->Port());
  tunnel.Send("CONNECT cn.bing.com:" + port + " HTTP/1.1\r\n\r\n");
  ASSERT_EQ(tunnel.Read(CProxySession::kConnectReply.size()), CProxySession::kConnectReply);
  tunnel.Send("GET /search HTTP/1.0\r\nHost: cn.bing.com\r\n\r\n");
  EXPECT_NE(tunnel.ReadToEnd().find("results"), std::string::npos) << "the tunnel reaches the safe address";
  EXPECT_EQ(network_.Resolved(), (std::vector<std::string>{"forcesafesearch.google.com", "strict.bing.com"}));

  setup_.SafeSearch = 0;
  EXPECT_EQ(Fetch("www.google.com", "/search"), "") << "off, the search engine's own name is resolved";
  EXPECT_EQ(network_.Resolved().back(), "www.google.com");
}

TEST_F(PipelineTest, SmartMonitoringRefusesPagesWithManyBannedLinksAndLearnsTheSite) {
  WriteProfile(profile::kIntelligentMonitor, 1);  // threshold 40
  replies_["/21"] = PageReply(LinkPage(21, 9));    // 42.9 %
  replies_["/20"] = PageReply(LinkPage(20, 20));   // too few links to judge
  Start();
  EXPECT_EQ(Fetch("small.test", "/20").find("HTTP/1.1 200 OK"), 0u);
  std::string refused = Fetch("bad.test", "/21");
  EXPECT_EQ(refused, BuildTipPage("200 OK", "http://localhost:8809/IntellFilterTip.html"));
  EXPECT_EQ(FileSystem::Current().ReadAll("Data\\IntelligentDomain.txt"), "bad.test\r\n");

  TestClient next(proxy_->Port());
  next.Send("GET http://bad.test:" + std::to_string(origin_.port()) + "/20 HTTP/1.1\r\n\r\n");
  EXPECT_EQ(next.ReadToEnd(), kBlockPage) << "a learned site is refused before anything is fetched";
}

TEST_F(PipelineTest, WithoutTheTipARefusedPageIsDroppedAndNothingLearned) {
  WriteProfile(profile::kIntelligentMonitor, 1);
  WriteProfile(profile::kIntelligentMonitorTip, 0);
  replies_["/21"] = PageReply(LinkPage(21, 9));
  Start();
  EXPECT_EQ(Fetch("bad.test", "/21"), "");
  EXPECT_FALSE(FileSystem::Current().ReadAll("Data\\IntelligentDomain.txt").has_value());
}

TEST_F(PipelineTest, AHeadSplitOverTwoReadsIsHeldUntilItIsWhole) {
  std::atomic<bool> second_part_sent{false};
  Start();
  // A hand-driven server gives the head in two parts.
  int error = 0;
  SocketHandle listener = ListenTcp(0, &error);
  std::thread server([&] {
    uint32_t peer = 0;
    SocketHandle connection = AcceptTcp(listener, &peer);
    char buffer[4096];
    ReceiveSome(connection, buffer, sizeof buffer);
    SendAll(connection, "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    second_part_sent = true;
    SendAll(connection, "Content-Length: 3\r\n\r\nPNG");
    CloseSocket(connection);
  });
  TestClient client(proxy_->Port());
  client.Send("GET http://split.test:" + std::to_string(LocalPort(listener)) + "/p.png HTTP/1.1\r\n\r\n");
  std::string first = client.Read(1);
  EXPECT_TRUE(second_part_sent) << "nothing reached the browser before the head was whole";
  EXPECT_EQ(first + client.ReadToEnd(), "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 3\r\n\r\nPNG");
  server.join();
  CloseSocket(listener);
}

}  // namespace
