// The proxy over real sockets on 127.0.0.1: a browser-like client, the proxy on a free
// port, and a small web server, with names resolved by the test (".test" hosts are local).
#include <gtest/gtest.h>

#include <thread>

#include "loopback_proxy_fixture.h"

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
  EXPECT_EQ(client.Read(74), CLocalProxy::kConnectReply);
  EXPECT_EQ(CLocalProxy::kConnectReply.size(), 74u);
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
  EXPECT_EQ(tunnel.Read(74), CLocalProxy::kConnectReply);
  proxy_.Stop();
  EXPECT_EQ(proxy_.OpenConnections(), 0u);
  EXPECT_EQ(waiting.ReadToEnd(), "");
  EXPECT_EQ(tunnel.ReadToEnd(), "");
}

}  // namespace
