#include "proxy/host_cache.h"

#include <gtest/gtest.h>

#include "fake_clock.h"
#include "fake_network.h"
#include "memory_file_system.h"

namespace {

const uint32_t kFast = Ipv4Address(192, 0, 2, 20);
const uint32_t kSlow = Ipv4Address(192, 0, 2, 40);
const uint32_t kDead = Ipv4Address(192, 0, 2, 99);

class HostCacheTest : public ::testing::Test {
 protected:
  FakeClock clock_;
  FakeNetwork network_{clock_};
  MemoryFileSystem files_;
  ScopedSeam<Clock> clock_seam_{clock_};
  ScopedSeam<Network> network_seam_{network_};
  ScopedSeam<FileSystem> files_seam_{files_};
  CHostCache cache_;
};

TEST_F(HostCacheTest, TheFastestAddressIsUsedAndRecordedAndTheOthersClosed) {
  network_.AddHost("site.test", {kSlow, kFast, kDead});
  network_.SetConnectTime(kSlow, 40);
  network_.SetConnectTime(kFast, 20);
  SocketHandle socket = kNoSocket;
  ASSERT_EQ(cache_.Connect("site.test", 80, &socket), 0);
  EXPECT_EQ(network_.AddressOf(socket), kFast);
  EXPECT_EQ(network_.OpenSockets(), std::set<SocketHandle>{socket}) << "the 40 ms socket is closed";
  std::optional<CHostRecord> record = cache_.Lookup("site.test");
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->address, kFast);
  EXPECT_EQ(record->connectMs, 20);
  EXPECT_EQ(network_.Connects().size(), 3u) << "every address is tried";
}

TEST_F(HostCacheTest, AnAddressThatNeedsNineSecondsIsNeverUsed) {
  network_.AddHost("slow.test", {kSlow});
  network_.SetConnectTime(kSlow, 9000);
  SocketHandle socket = kNoSocket;
  EXPECT_NE(cache_.Connect("slow.test", 80, &socket), 0);
  EXPECT_EQ(socket, kNoSocket);
  EXPECT_EQ(cache_.Size(), 0u);
  EXPECT_TRUE(network_.OpenSockets().empty());

  EXPECT_EQ(cache_.Connect("unknown.test", 80, &socket), FakeNetwork::kResolveError);
}

TEST_F(HostCacheTest, ACachedAddressIsKeptWhileItConnectsAtMostThirtyMillisecondsSlower) {
  struct Case {
    int now_ms;
    bool kept;
  } cases[] = {{50, true}, {51, false}, {5, true}};
  for (const Case& c : cases) {
    CHostCache cache;
    cache.Store(CHostRecord{kSlow, "site.test", 20, 0});
    network_.AddHost("site.test", {kFast});
    network_.SetConnectTime(kFast, 25);
    network_.SetConnectTime(kSlow, c.now_ms);
    int resolutions = network_.Resolutions();
    SocketHandle socket = kNoSocket;
    ASSERT_EQ(cache.Connect("site.test", 80, &socket), 0);
    EXPECT_EQ(network_.AddressOf(socket), c.kept ? kSlow : kFast) << c.now_ms;
    EXPECT_EQ(network_.Resolutions() - resolutions, c.kept ? 0 : 1) << c.now_ms;
    EXPECT_EQ(cache.Lookup("site.test")->connectMs, c.kept ? 20 : 25) << "a kept record keeps its time";
    network_.Close(socket);
  }
  EXPECT_TRUE(network_.OpenSockets().empty());
}

// The connection thread connects to a recorded address itself only when the wait is short;
// it never resolves there, and a failed record sends the host to a fresh resolution.
TEST_F(HostCacheTest, TheRecordedAddressAloneIsTriedWithinTheWaitAllowed) {
  using Result = CHostCache::RecordedConnect;
  struct Case {
    const char* host;
    int recorded_ms;  // negative: no record
    int now_ms;
    int max_wait_ms;
    Result result;
    size_t connects;
  } cases[] = {
      {"quick.test", 20, 45, 200, Result::kConnected, 1},
      {"quick.test", 20, 60, 200, Result::kFailed, 1},  // 40 ms slower than recorded
      {"quick.test", 20, FakeNetwork::kNeverConnects, 200, Result::kFailed, 1},
      {"far.test", 500, 500, 200, Result::kNotTried, 0},  // would wait up to 531 ms
      {"new.test", -1, 5, 200, Result::kNotTried, 0},
  };
  for (const Case& c : cases) {
    CHostCache cache;
    if (c.recorded_ms >= 0) cache.Store(CHostRecord{kSlow, c.host, c.recorded_ms, 0});
    network_.AddHost(c.host, {kFast});
    network_.SetConnectTime(kSlow, c.now_ms);
    size_t connects = network_.Connects().size();
    SocketHandle socket = kNoSocket;
    EXPECT_EQ(cache.ConnectRecorded(c.host, 80, c.max_wait_ms, &socket), c.result) << c.host << " " << c.now_ms;
    EXPECT_EQ(network_.Connects().size() - connects, c.connects) << c.host << " " << c.now_ms;
    EXPECT_EQ(socket != kNoSocket, c.result == Result::kConnected);
    if (socket != kNoSocket) network_.Close(socket);
  }
  EXPECT_EQ(network_.Resolutions(), 0);
  EXPECT_TRUE(network_.OpenSockets().empty());

  network_.SetConnectTime(kFast, 25);
  SocketHandle socket = kNoSocket;
  ASSERT_EQ(cache_.ConnectResolved("quick.test", 80, &socket), 0);
  EXPECT_EQ(network_.AddressOf(socket), kFast) << "a fresh resolution, whatever is recorded";
  EXPECT_EQ(cache_.Lookup("quick.test")->address, kFast);
}

TEST_F(HostCacheTest, HostNamesAreExactAndOverLongOnesAreNotCached) {
  cache_.Store(CHostRecord{kFast, "Site.test", 20, 0});
  cache_.Store(CHostRecord{kSlow, "site.test", 40, 0});
  EXPECT_EQ(cache_.Lookup("Site.test")->address, kFast);
  EXPECT_EQ(cache_.Lookup("site.test")->address, kSlow);
  cache_.Store(CHostRecord{kFast, std::string(128, 'a'), 20, 0});
  EXPECT_EQ(cache_.Size(), 2u);
}

TEST_F(HostCacheTest, TheFileKeepsRecordsUsedWithinADay) {
  clock_.SetNow(1800000000);
  CHostCache writer;
  writer.Store(CHostRecord{kFast, "b.test", 20, 1800000000});
  writer.Store(CHostRecord{kSlow, "a.test", 40, 1800000000});
  writer.Save();
  std::string bytes = files_.Get("host.dat");
  ASSERT_EQ(bytes.size(), 280u);
  EXPECT_EQ(bytes.substr(4, 7), std::string("a.test\0", 7)) << "records in host-name order";
  EXPECT_EQ(bytes.substr(132, 8), std::string("\x28\0\0\0\x00\xD2\x49\x6B", 8)) << "40 ms, then the time";

  writer.Store(CHostRecord{kFast, "later.test", 20, 0});
  writer.Save();
  EXPECT_EQ(files_.Get("host.dat").size(), 280u) << "saved once";

  auto record = [](uint32_t address, const char* host, int32_t ms, uint32_t last_use) {
    return CHostCache::EncodeRecord(CHostRecord{address, host, ms, last_use});
  };
  files_.Put("host.dat", record(kFast, "fresh.test", 20, 1800000000 - 86399) +
                             record(kFast, "stale.test", 20, 1800000000 - 86400) +
                             record(0, "noaddress.test", 20, 1800000000) +
                             record(kFast, "invalid.test", -1, 1800000000) + "partial record");
  CHostCache reader;
  reader.Load();
  EXPECT_EQ(reader.Size(), 1u);
  EXPECT_TRUE(reader.Lookup("fresh.test").has_value());
}

TEST_F(HostCacheTest, AMissingOrDamagedFileStartsEmpty) {
  cache_.Load();
  EXPECT_EQ(cache_.Size(), 0u);
  files_.Put("host.dat", std::string(139, '\x01'));
  cache_.Load();
  EXPECT_EQ(cache_.Size(), 0u);
}

}  // namespace
