// Clients that no browser would be, over real sockets against the proxy and the control
// server: silent, trickling, endless heads, thousands of held connections. Each must be
// closed or held within the servers' bounds while an ordinary request is still answered.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "loopback_proxy_fixture.h"
#include "platform/file_system.h"
#include "process_usage.h"
#include "proxy/control_server.h"
#include "proxy/proxy_session.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// Long enough for any server on a loaded machine; a connection not closed by then is
// taken as held for good.
constexpr milliseconds kGenerous = seconds(30);

class HostileClientTest : public LoopbackProxyTest {
 protected:
  std::string OrdinaryRequest() {
    return "GET http://origin.test:" + std::to_string(origin_.port()) + "/ordinary HTTP/1.1\r\nHost: origin.test\r\n\r\n";
  }
  // An ordinary request and the time its answer took, printed for the record.
  void ExpectOrdinaryRequestAnswered(const char* while_what) {
    auto started = std::chrono::steady_clock::now();
    TestClient client(proxy_.Port());
    ASSERT_TRUE(client.connected());
    client.Send(OrdinaryRequest());
    EXPECT_EQ(client.ReadToEndWithin(kGenerous), TestOrigin::Response("hello")) << while_what;
    auto took = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - started);
    std::printf("[figure] ordinary request answered in %lld ms %s\n", static_cast<long long>(took.count()), while_what);
  }
  bool WaitForOpenConnections(size_t count) {
    for (auto deadline = std::chrono::steady_clock::now() + kGenerous; std::chrono::steady_clock::now() < deadline;) {
      if (proxy_.OpenConnections() == count) return true;
      std::this_thread::sleep_for(milliseconds(10));
    }
    return false;
  }
};

TEST_F(HostileClientTest, SilentTricklingAndEndlessHeadsAreClosedWhileOrdinaryRequestsAreAnswered) {
  ServerLimits limits;
  limits.head_timeout_ms = 1500;
  StartProxy(limits);

  TestClient silent(proxy_.Port());
  ASSERT_TRUE(silent.connected());

  // One byte every quarter second: the head would take far longer than its time.
  std::atomic<size_t> trickled{0};
  std::atomic<bool> trickle_closed{false};
  std::thread trickler([&] {
    TestClient client(proxy_.Port());
    const std::string head = OrdinaryRequest();
    char byte;
    for (size_t i = 0; i < head.size() && i < 120; ++i) {
      if (!client.Send(head.substr(i, 1))) break;
      trickled = i + 1;
      if (WaitReadable(client.socket(), 250) != 0 && ReceiveSome(client.socket(), &byte, 1) <= 0) {
        trickle_closed = true;
        break;
      }
    }
  });

  // A megabyte of header lines without the blank line that would end the head.
  std::string endless = "GET http://origin.test:" + std::to_string(origin_.port()) + "/ HTTP/1.1\r\n";
  while (endless.size() < 1024 * 1024) endless += "X-Padding: " + std::string(100, 'p') + "\r\n";
  TestClient oversized(proxy_.Port());
  oversized.Send(endless);  // fails part-way once the proxy has closed; either is fine

  ExpectOrdinaryRequestAnswered("while a silent, a trickling and an oversized client are connected");

  EXPECT_EQ(oversized.ReadToEndWithin(kGenerous), "") << "closed without a reply";
  EXPECT_EQ(silent.ReadToEndWithin(kGenerous), "") << "closed once the head time ran out";
  trickler.join();
  EXPECT_TRUE(trickle_closed);
  EXPECT_LT(trickled, OrdinaryRequest().size()) << "the trickled head never completed";
  EXPECT_TRUE(WaitForOpenConnections(0));
  ASSERT_TRUE(origin_.WaitForRequests(1));
  EXPECT_EQ(origin_.Requests().size(), 1u) << "only the ordinary request reached the server";
}

TEST_F(HostileClientTest, TwoThousandHeldConnectionsLeaveRoomForOrdinaryRequests) {
  constexpr size_t kHeld = 2000;
  // Each held connection costs a descriptor on the client side and one on the proxy side.
  if (RaiseOpenFileLimit(2 * kHeld + 256) < 2 * kHeld + 256) GTEST_SKIP() << "too few open files allowed";
  StartProxy();

  std::vector<std::unique_ptr<TestClient>> held;
  for (size_t i = 0; i < kHeld; ++i) {
    held.push_back(std::make_unique<TestClient>(proxy_.Port()));
    ASSERT_TRUE(held.back()->connected()) << i;
    held.back()->Send("GET http://origin.test/ HTTP/1.1\r\n");  // and never the rest
  }
  ASSERT_TRUE(WaitForOpenConnections(kHeld));
  ExpectOrdinaryRequestAnswered("while 2000 connections are held open");
  ExpectOrdinaryRequestAnswered("while 2000 connections are held open (again)");
  held.clear();
  EXPECT_TRUE(WaitForOpenConnections(0));
}

TEST_F(HostileClientTest, ConnectionsBeyondTheCapAreClosedAtOnceUntilOneEnds) {
  ServerLimits limits;
  limits.max_connections = 8;
  StartProxy(limits);

  std::vector<std::unique_ptr<TestClient>> held;
  for (size_t i = 0; i < limits.max_connections; ++i) {
    held.push_back(std::make_unique<TestClient>(proxy_.Port()));
    held.back()->Send("GET http://origin.test/ HTTP/1.1\r\n");
  }
  ASSERT_TRUE(WaitForOpenConnections(limits.max_connections));

  TestClient refused(proxy_.Port());
  refused.Send(OrdinaryRequest());
  EXPECT_EQ(refused.ReadToEndWithin(kGenerous), "");
  EXPECT_EQ(proxy_.OpenConnections(), limits.max_connections);

  held.pop_back();
  ASSERT_TRUE(WaitForOpenConnections(limits.max_connections - 1));
  ExpectOrdinaryRequestAnswered("once a held connection has ended");
  EXPECT_EQ(origin_.Requests().size(), 1u);
}

TEST_F(HostileClientTest, TunnelsOutliveTheHeadAndResponseTimes) {
  ServerLimits limits;
  limits.head_timeout_ms = 300;
  limits.response_idle_ms = 300;
  StartProxy(limits);

  TestClient tunnel(proxy_.Port());
  tunnel.Send("CONNECT origin.test:" + std::to_string(origin_.port()) + " HTTP/1.1\r\n\r\n");
  ASSERT_EQ(tunnel.Read(CProxySession::kConnectReply.size()), CProxySession::kConnectReply);
  // Quiet for several times both limits, as an idle secure connection is.
  EXPECT_EQ(WaitReadable(tunnel.socket(), 1500), 0) << "the tunnel was closed while idle";
  tunnel.Send("GET /late HTTP/1.1\r\n\r\n");
  EXPECT_EQ(tunnel.ReadToEndWithin(kGenerous), TestOrigin::Response("hello"));
}

class HostileControlClientTest : public ::testing::Test {
 protected:
  HostileControlClientTest() {
    ServersStopping = false;
    std::filesystem::create_directories(folder_.path() / "www");
    FileSystem::Current().Replace("www\\404.htm", "not found");
    FileSystem::Current().Replace("www\\page.htm", "page");
  }
  ~HostileControlClientTest() override {
    server_.Stop();
    ServersStopping = false;
  }
  std::optional<std::string> Get(const std::string& path) {
    TestClient client(server_.Port());
    client.Send("GET " + path + " HTTP/1.1\r\n\r\n");
    return client.ReadToEndWithin(kGenerous);
  }

  ScopedTempWorkingFolder folder_;
  SharedLists lists_;
  SetupRecord setup_;
  LockRecord lock_;
  CLocalHttpServer server_{0, lists_, setup_, lock_};
};

TEST_F(HostileControlClientTest, SilentClientsAreClosedAndTheCapRefusesTheRestWhilePagesAreServed) {
  ServerLimits limits;
  limits.head_timeout_ms = 1000;
  limits.max_connections = 4;
  server_.SetLimits(limits);
  server_.Start();
  const std::string page = "HTTP/1.0 200 OK\nContent-Type: text/html\nContent-Length: 4\r\n\r\npage";

  std::vector<std::unique_ptr<TestClient>> silent;
  for (size_t i = 0; i + 1 < limits.max_connections; ++i) silent.push_back(std::make_unique<TestClient>(server_.Port()));
  EXPECT_EQ(Get("/page.htm"), page) << "one place is left for a page";

  for (auto& client : silent) EXPECT_EQ(client->ReadToEndWithin(kGenerous), "") << "closed once the time ran out";
  EXPECT_EQ(Get("/page.htm"), page);

  std::vector<std::unique_ptr<TestClient>> filling;
  for (size_t i = 0; i < limits.max_connections; ++i) filling.push_back(std::make_unique<TestClient>(server_.Port()));
  // The server takes connections one by one; once every place is taken the next is refused.
  std::optional<std::string> refused;
  for (int attempt = 0; attempt < 100 && refused != ""; ++attempt) refused = Get("/page.htm");
  EXPECT_EQ(refused, "");
}

}  // namespace
