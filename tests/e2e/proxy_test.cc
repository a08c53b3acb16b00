// The proxy over real sockets on 127.0.0.1: a browser-like client, the proxy on a free
// port, and a small web server, with names resolved by the test (".test" hosts are local).
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "data_files.h"
#include "loopback_proxy_fixture.h"
#include "proxy/proxy_session.h"

namespace {

class ProxyTest : public LoopbackProxyTest {
 protected:
  ProxyTest() { StartProxy(); }

  std::string OriginUrl(const std::string& path = "/") {
    return "http://origin.test:" + std::to_string(origin_.port()) + path;
  }
  // Sends `request` through the proxy and returns all that comes back.
  std::string Exchange(const std::string& request) {
    TestClient client(proxy_.Port());
    EXPECT_TRUE(client.connected());
    client.Send(request);
    return client.ReadToEnd();
  }
};

TEST_F(ProxyTest, RequestsReachTheServerInOriginFormAsHttp10AndCloseTheConnection) {
  std::string reply = Exchange("GET " + OriginUrl("/a?b=1") + " HTTP/1.1\r\nHost: origin.test\r\n"
                               "Proxy-Connection: keep-alive\r\nAccept-Encoding: gzip, deflate, br\r\n\r\n");
  EXPECT_EQ(reply, TestOrigin::Response("hello"));
  ASSERT_EQ(origin_.Requests().size(), 1u);
  EXPECT_EQ(origin_.Requests()[0],
            "GET /a?b=1 HTTP/1.0\r\nHost: origin.test\r\nConnection: close\r\nAccept-Encoding: gzip\r\n\r\n");
}

TEST_F(ProxyTest, NothingIsAddedForHeaderLinesTheBrowserDidNotSend) {
  Exchange("GET " + OriginUrl() + " HTTP/1.1\r\nHost: origin.test\r\n\r\n");
  std::string host_only = "http://origin.test:" + std::to_string(origin_.port());
  Exchange("GET " + host_only + " HTTP/1.1\r\nHost: origin.test\r\n\r\n");
  ASSERT_TRUE(origin_.WaitForRequests(2));
  for (const std::string& request : origin_.Requests()) {
    EXPECT_EQ(request, "GET / HTTP/1.0\r\nHost: origin.test\r\n\r\n");
  }
}

TEST_F(ProxyTest, ConnectGetsTheEstablishedReplyAndATwoWayTunnel) {
  TestClient client(proxy_.Port());
  client.Send("CONNECT origin.test:" + std::to_string(origin_.port()) + " HTTP/1.1\r\nHost: origin.test\r\n\r\n");
  EXPECT_EQ(client.Read(74), CProxySession::kConnectReply);
  EXPECT_EQ(CProxySession::kConnectReply.size(), 74u);
  client.Send("POST /inside HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello");
  EXPECT_EQ(client.ReadToEnd(), TestOrigin::Response("hello"));
  ASSERT_EQ(origin_.Requests().size(), 1u);
  EXPECT_EQ(origin_.Requests()[0], "POST /inside HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello")
      << "the server sees the tunnelled bytes only, never the CONNECT line";
}

TEST_F(ProxyTest, ABodyArrivingInPiecesIsForwardedWhole) {
  std::string body;
  for (int i = 0; body.size() < 50000; ++i) body += std::to_string(i) + ",";
  body.resize(50000);
  TestClient client(proxy_.Port());
  client.Send("POST " + OriginUrl("/upload") + " HTTP/1.1\r\nContent-Length: 50000\r\n\r\n" + body.substr(0, 1000));
  for (size_t at = 1000; at < body.size(); at += 7000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    client.Send(body.substr(at, 7000));
  }
  EXPECT_EQ(client.ReadToEnd(), TestOrigin::Response("hello"));
  ASSERT_EQ(origin_.Requests().size(), 1u);
  EXPECT_EQ(origin_.Requests()[0], "POST /upload HTTP/1.0\r\nContent-Length: 50000\r\n\r\n" + body);
}

TEST_F(ProxyTest, ConnectionsThatCannotBeServedAreClosedWithoutAReply) {
  {
    TestClient silent(proxy_.Port());
    silent.Close();
  }
  EXPECT_EQ(Exchange("GET http://unknown.example/ HTTP/1.1\r\n\r\n"), "");
  EXPECT_EQ(Exchange("CONNECT unknown.example:443 HTTP/1.1\r\n\r\n"), "");
  EXPECT_TRUE(origin_.Requests().empty());
}

TEST_F(ProxyTest, MalformedRequestsAreRefusedWithoutTouchingTheServer) {
  const std::string bad_request = "HTTP/1.0 400 Bad Request\r\nContent-Length: 0\r\n\r\n";
  std::string long_host(300, 'h');
  const std::string requests[] = {
      "GET " + OriginUrl() + " HTTZ/1.1\r\n\r\n",
      "GET http://" + long_host + ".test/ HTTP/1.1\r\n\r\n",
      "GET http://origin.test:1234567890/ HTTP/1.1\r\n\r\n",
      "GET http://origin.test:70000/ HTTP/1.1\r\n\r\n",
  };
  for (const std::string& request : requests) EXPECT_EQ(Exchange(request), bad_request) << request.substr(0, 60);
  // A head that never ends is cut off without a word once it passes its bound.
  EXPECT_EQ(Exchange("GET " + OriginUrl() + " HTTP/1.1\r\nX: " + std::string(70000, 'x')), "");
  EXPECT_TRUE(origin_.Requests().empty());
}

TEST_F(ProxyTest, TwoHundredSimultaneousConnectionsAreAllServed) {
  constexpr size_t kClients = 200;
  // The server answers only once every request has arrived, so each connection must be
  // in progress at the same time as all the others.
  std::atomic<bool> all_arrived{false};
  TestOrigin gated([&](const std::string&) {
    for (int i = 0; i < 3000 && !all_arrived; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return TestOrigin::Response("served");
  });
  std::vector<std::unique_ptr<TestClient>> clients;
  for (size_t i = 0; i < kClients; ++i) {
    clients.push_back(std::make_unique<TestClient>(proxy_.Port()));
    clients.back()->Send("GET http://origin.test:" + std::to_string(gated.port()) + "/" + std::to_string(i) +
                         " HTTP/1.1\r\n\r\n");
  }
  ASSERT_TRUE(gated.WaitForRequests(kClients, std::chrono::seconds(60)));
  all_arrived = true;
  size_t served = 0;
  for (auto& client : clients) served += client->ReadToEnd() == TestOrigin::Response("served");
  EXPECT_EQ(served, kClients);
}

TEST_F(ProxyTest, StoppingEndsOpenConnectionsAndTheirThreads) {
  TestClient waiting(proxy_.Port());
  waiting.Send("GET " + OriginUrl() + " HTTP/1.1\r\n");  // the head never ends
  TestClient tunnel(proxy_.Port());
  tunnel.Send("CONNECT origin.test:" + std::to_string(origin_.port()) + " HTTP/1.1\r\n\r\n");
  EXPECT_EQ(tunnel.Read(74), CProxySession::kConnectReply);
  proxy_.Stop();
  EXPECT_EQ(proxy_.OpenConnections(), 0u);
  EXPECT_EQ(waiting.ReadToEnd(), "");
  EXPECT_EQ(tunnel.ReadToEnd(), "");
}

// A web server that keeps its connections open as HTTP/1.1 allows, unless the request
// asked for "Connection: close"; what else arrives on a kept connection is recorded.
class KeepAliveOrigin {
 public:
  KeepAliveOrigin()
      : origin_([this](TestOrigin& origin, SocketHandle socket) {
          std::string first = origin.Requests().back();
          bool close = first.find("Connection: close\r\n") != std::string::npos;
          SendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n" +
                              std::string(close ? "Connection: close" : "Connection: keep-alive") + "\r\n\r\nfirst");
          if (close) return;
          char buffer[4096];
          for (long got; WaitReadable(socket, 20000) > 0 && (got = ReceiveSome(socket, buffer, sizeof buffer)) > 0;) {
            std::lock_guard lock(mu_);
            later_.append(buffer, static_cast<size_t>(got));
          }
        }) {}
  uint16_t port() const { return origin_.port(); }
  std::vector<std::string> Requests() { return origin_.Requests(); }
  std::string Later() {
    std::lock_guard lock(mu_);
    return later_;
  }

 private:
  std::mutex mu_;
  std::string later_;
  TestOrigin origin_;
};

// A web server that reads an upload to its end however it is framed: it answers once
// `complete` says the request (head and body) has all arrived, or the proxy closes.
class UploadOrigin {
 public:
  explicit UploadOrigin(std::function<bool(const std::string&)> complete)
      : origin_([this, complete](TestOrigin& origin, SocketHandle socket) {
          std::string request = origin.Requests().back();
          char buffer[4096];
          while (!complete(request) && WaitReadable(socket, 20000) > 0) {
            long got = ReceiveSome(socket, buffer, sizeof buffer);
            if (got <= 0) break;
            request.append(buffer, static_cast<size_t>(got));
          }
          {
            std::lock_guard lock(mu_);
            upload_ = request;
          }
          SendAll(socket, TestOrigin::Response("stored"));
        }) {}
  uint16_t port() const { return origin_.port(); }
  bool WaitForHead() { return origin_.WaitForRequests(1); }
  std::string Upload() {
    std::lock_guard lock(mu_);
    return upload_;
  }

 private:
  std::mutex mu_;
  std::string upload_;
  TestOrigin origin_;
};

TEST_F(ProxyTest, UploadsArriveWholeHoweverTheirLengthIsGiven) {
  struct Case {
    std::string what, head_lines, body, forwarded_body;
    bool body_after_head;  // sent once the server has the head, so that it comes in reads of its own
  } cases[] = {
      {"chunked", "Transfer-Encoding: chunked\r\n", "5\r\nhello\r\n6;x=y\r\n world\r\n0\r\n\r\n",
       "5\r\nhello\r\n6;x=y\r\n world\r\n0\r\n\r\n", true},
      {"a lower-case length", "content-length: 11\r\n", "hello world", "hello world", true},
      {"bytes after the body", "Content-Length: 5\r\n", "helloGET http://other.test/ HTTP/1.1\r\n\r\n", "hello", false},
  };
  for (const Case& c : cases) {
    UploadOrigin origin([&](const std::string& request) { return request.ends_with(c.forwarded_body); });
    TestClient client(proxy_.Port());
    std::string head = "POST http://origin.test:" + std::to_string(origin.port()) + "/up HTTP/1.1\r\n" + c.head_lines + "\r\n";
    if (c.body_after_head) {
      client.Send(head);
      ASSERT_TRUE(origin.WaitForHead()) << c.what;
      for (size_t at = 0; at < c.body.size(); at += 4) client.Send(c.body.substr(at, 4));
    } else {
      client.Send(head + c.body);
    }
    EXPECT_EQ(client.ReadToEnd(), TestOrigin::Response("stored")) << c.what;
    std::string upload = origin.Upload();
    EXPECT_EQ(upload.substr(upload.find("\r\n\r\n") + 4), c.forwarded_body) << c.what;
  }
}

TEST_F(ProxyTest, RequestsWhoseBodyCannotBeDelimitedAreRefused) {
  for (std::string lines : {"Content-Length: 5\r\nContent-Length: 6\r\n", "Content-Length: -1\r\n",
                            "Transfer-Encoding: gzip\r\n"}) {
    EXPECT_EQ(Exchange("POST " + OriginUrl() + " HTTP/1.1\r\n" + lines + "\r\nhello"),
              "HTTP/1.0 400 Bad Request\r\nContent-Length: 0\r\n\r\n")
        << lines;
  }
  EXPECT_TRUE(origin_.Requests().empty());
}

// Names that resolve only once the test lets them: a name server that does not answer.
class StallingNetwork : public LoopbackNetwork {
 public:
  ~StallingNetwork() override {
    Release();
    std::unique_lock lock(mu_);
    changed_.wait(lock, [this] { return inside_ == 0; });
  }
  int ResolveIPv4(const std::string& host, std::vector<uint32_t>* addresses) override {
    std::unique_lock lock(mu_);
    ++inside_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return released_; });
    int result = LoopbackNetwork::ResolveIPv4(host, addresses);
    // The last touch of this object: the destructor may go on at once.
    --inside_;
    changed_.notify_all();
    return result;
  }
  bool WaitUntilResolving() {
    std::unique_lock lock(mu_);
    return changed_.wait_for(lock, std::chrono::seconds(20), [this] { return inside_ > 0; });
  }
  bool Resolving() {
    std::lock_guard lock(mu_);
    return inside_ > 0;
  }
  void Release() {
    std::lock_guard lock(mu_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mu_;
  std::condition_variable changed_;
  int inside_ = 0;
  bool released_ = false;
};

// Teardown waited for every connection thread, also those that sat in a name lookup that
// cannot be woken.
TEST_F(LoopbackProxyTest, StoppingDoesNotWaitForANameLookup) {
  StallingNetwork stalling;
  ScopedSeam<Network> seam{stalling};
  StartProxy();
  TestClient client(proxy_.Port());
  client.Send("GET http://stalled.test/ HTTP/1.1\r\n\r\n");
  ASSERT_TRUE(stalling.WaitUntilResolving());
  // Should Stop wait for the lookup after all, the lookup is let go in the end, so that the
  // test fails rather than hangs.
  std::mutex mu;
  std::condition_variable stopped_changed;
  bool stopped = false;
  std::thread watchdog([&] {
    std::unique_lock lock(mu);
    if (!stopped_changed.wait_for(lock, std::chrono::seconds(30), [&] { return stopped; })) stalling.Release();
  });
  proxy_.Stop();
  EXPECT_TRUE(stalling.Resolving()) << "Stop returned only once the lookup had ended";
  {
    std::lock_guard lock(mu);
    stopped = true;
  }
  stopped_changed.notify_all();
  watchdog.join();
  EXPECT_EQ(proxy_.OpenConnections(), 0u);
  EXPECT_EQ(client.ReadToEnd(), "");
}

// Each connection could collect its page without regard to the others: together they had
// no bound at all.
TEST_F(LoopbackProxyTest, PagesBeingFilteredShareOneMemoryBudget) {
  ServerLimits limits;
  limits.page_memory_bytes = 1024 * 1024;
  StartProxy(limits);
  const std::string body = "<html><body>" + std::string(600 * 1024, 'x') + "</body></html>";
  const std::string page = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                           std::to_string(body.size()) + "\r\n\r\n" + body;
  std::mutex mu;
  std::condition_variable changed;
  bool release = false;
  // The first server sends all but the end of its page and waits: its page is held.
  TestOrigin holding([&](TestOrigin&, SocketHandle socket) {
    SendAll(socket, std::string_view(page).substr(0, page.size() - 100));
    std::unique_lock lock(mu);
    changed.wait_for(lock, std::chrono::seconds(30), [&] { return release; });
    lock.unlock();
    SendAll(socket, std::string_view(page).substr(page.size() - 100));
  });
  TestOrigin whole([&](const std::string&) { return page; });
  auto get = [&](uint16_t port) {
    auto client = std::make_unique<TestClient>(proxy_.Port());
    client->Send("GET http://site.test:" + std::to_string(port) + "/ HTTP/1.1\r\n\r\n");
    return client;
  };
  std::unique_ptr<TestClient> held = get(holding.port());
  ASSERT_TRUE(holding.WaitForRequests(1));
  // The held page must be in the proxy before the second one comes.
  for (int i = 0; i < 3000 && proxy_.Config().PageMemoryInUse() < page.size() - 100; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_GE(proxy_.Config().PageMemoryInUse(), page.size() - 100);
  EXPECT_EQ(get(whole.port())->ReadToEnd(), "") << "a second large page found room beside the held one";
  {
    std::lock_guard lock(mu);
    release = true;
  }
  changed.notify_all();
  std::string first = held->ReadToEnd();
  EXPECT_NE(first.find("</body></html>"), std::string::npos) << "the held page is sent whole";
  std::string after = get(whole.port())->ReadToEnd();
  EXPECT_NE(after.find("</body></html>"), std::string::npos) << "its memory went back to the budget";
}

class ProxyListsTest : public LoopbackProxyTest {
 protected:
  ProxyListsTest() {
    WriteListFile("Data\\whitedomain.kezo", {"white.test"}, true);
    WriteListFile("Data\\blackdomain.kezo", {"black.test"}, true);
    StartProxy();
  }
};

TEST_F(ProxyListsTest, AWhiteSitesConnectionCarriesOneRequestAndNoSecondUnjudgedOne) {
  KeepAliveOrigin origin;
  const std::string port = std::to_string(origin.port());
  TestClient client(proxy_.Port());
  client.Send("GET http://white.test:" + port + "/ HTTP/1.1\r\nHost: white.test\r\nConnection: keep-alive\r\n\r\n");
  std::string reply;
  while (!reply.ends_with("first") && WaitReadable(client.socket(), 20000) > 0) {
    std::string more = client.Read(1);
    if (more.empty()) break;
    reply += more;
  }
  EXPECT_TRUE(reply.ends_with("first")) << reply;
  client.Send("GET http://black.test:" + port + "/secret HTTP/1.1\r\nHost: black.test\r\n\r\n");
  client.ReadToEndWithin(std::chrono::seconds(30));
  ASSERT_EQ(origin.Requests().size(), 1u);
  EXPECT_NE(origin.Requests()[0].find(" HTTP/1.1\r\n"), std::string::npos) << "a white request stays HTTP/1.1";
  EXPECT_NE(origin.Requests()[0].find("\r\nConnection: close\r\n"), std::string::npos) << origin.Requests()[0];
  EXPECT_EQ(origin.Later(), "") << "the second request must never reach the server unjudged";
}

TEST_F(ProxyListsTest, ARefusedTunnelIsAnsweredWithAForbiddenReply) {
  TestClient client(proxy_.Port());
  client.Send("CONNECT black.test:443 HTTP/1.1\r\nHost: black.test:443\r\n\r\n");
  std::string reply = client.ReadToEnd();
  EXPECT_TRUE(reply.starts_with("HTTP/1.1 403 ")) << reply;
  size_t body = reply.find("\r\n\r\n");
  ASSERT_NE(body, std::string::npos);
  EXPECT_NE(reply.find("Content-Length: " + std::to_string(reply.size() - body - 4) + "\r\n"), std::string::npos);
  EXPECT_GT(reply.size(), body + 4) << "a short text says why";
}

}  // namespace
