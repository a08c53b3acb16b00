// Connection threads classifying and rewriting pages through the real proxy while other
// threads change everything they read: lists added to, removed from and reloaded, keyword
// matchers rebuilt from changed files, the counter increased, settings switched. Built
// for ThreadSanitizer (native-tsan), which reports any unsynchronised access; the checks
// here catch torn results: half-built lists, lost counts, broken pages.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "config/process_flags.h"
#include "config/profile_values.h"
#include "data_files.h"
#include "loopback_network.h"
#include "proxy/http_head.h"
#include "memory_profile_store.h"
#include "platform/file_system.h"
#include "proxy/local_proxy.h"
#include "proxy/url_helpers.h"
#include "temp_folder.h"
#include "test_origin.h"
#include "test_pages.h"

namespace {

constexpr int kClients = 4;
constexpr int kRequestsPerClient = 40;
constexpr int kBannedLinks = 3;

class ConcurrencyStressTest : public ::testing::Test {
 protected:
  ConcurrencyStressTest() {
    ServersStopping = false;
    std::filesystem::create_directories(folder_.path() / "www");
    WriteListFile("Data\\word.kezo", {"porn"}, true);
    WriteListFile("Data\\whiteword.kezo", {"medical"}, true);
    WriteListFile("Data\\blackdomain.kezo", {"shipped-black.test"}, true);
    WriteTextFile("www\\404.htm", kBlockPage, false);
    WriteProfile(profile::kXiuShenTip, 0);
    setup_.WebControl = 0;
    black_ = std::make_unique<CWordFilter>(true);
    white_ = std::make_unique<CWordFilter>(false);
    proxy_ = std::make_unique<CLocalProxy>(0, lists_, setup_);
    proxy_->Config().SetWordFilters(black_.get(), white_.get());
    proxy_->Start();
  }
  ~ConcurrencyStressTest() override {
    proxy_->Stop();
    ServersStopping = false;
  }

  ScopedTempWorkingFolder folder_;
  MemoryProfileStore profile_;
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  LoopbackNetwork network_;
  ScopedSeam<Network> network_seam_{network_};
  TestOrigin origin_{[](const std::string&) { return PageReply(LinkPage(10, kBannedLinks)); }};
  SharedLists lists_;
  SetupRecord setup_;
  std::unique_ptr<CWordFilter> black_, white_;
  std::unique_ptr<CLocalProxy> proxy_;
};

TEST_F(ConcurrencyStressTest, ConnectionsFilterPagesWhileListsMatchersCounterAndSettingsChange) {
  std::atomic<int> clients_running{kClients};
  std::atomic<int> filtered_pages{0}, blocked_pages{0}, broken_replies{0};
  std::atomic<int> counted_by_hand{0};

  std::vector<std::thread> threads;
  for (int c = 0; c < kClients; ++c) {
    threads.emplace_back([&, c] {
      for (int i = 0; i < kRequestsPerClient; ++i) {
        // Every other request goes to the site that the list writer keeps adding and
        // removing: it is blocked or filtered, depending on the moment.
        std::string host = (i % 2 == 0) ? "toggled.test" : "site" + std::to_string(c) + ".test";
        TestClient client(proxy_->Port());
        client.Send("GET http://" + host + ":" + std::to_string(origin_.port()) + "/p" + std::to_string(i) +
                    " HTTP/1.1\r\n\r\n");
        std::string reply = client.ReadToEnd();
        size_t body_at = reply.find("\r\n\r\n");
        if (reply == kBlockPage) {
          ++blocked_pages;
        } else if (body_at != std::string::npos && reply.find(">porn<") == std::string::npos &&
                   reply.find(">news<") != std::string::npos &&
                   FindHeaderField(reply.substr(0, body_at + 4), "Content-Length") == std::to_string(reply.size() - body_at - 4)) {
          ++filtered_pages;
        } else {
          ++broken_replies;
        }
      }
      --clients_running;
    });
  }

  auto until_clients_end = [&](auto step) {
    for (int round = 0; clients_running > 0; ++round) step(round);
  };
  threads.emplace_back([&] {
    until_clients_end([&](int round) {
      if (round % 2 == 0) {
        lists_.userBlackDomains.Add(std::string_view("toggled.test"), true);
      } else {
        lists_.userBlackDomains.Remove(u"toggled.test");
      }
      lists_.userWhiteDomains.Add(std::string_view("white" + std::to_string(round % 50) + ".test"), true);
      lists_.urlList.Add(std::string_view("http://pictures.test/" + std::to_string(round % 50)), true);
    });
  });
  threads.emplace_back([&] {
    until_clients_end([&](int) {
      proxy_->Config().ReloadSiteLists();
      proxy_->Config().LoadSmartMonitoring();
    });
  });
  threads.emplace_back([&] {
    until_clients_end([&](int round) {
      // The words change on disk, but "porn" stays banned in every version.
      if (round % 2 == 0) {
        WriteListFile("Data\\UserWord.kezo", {"porn", "extra" + std::to_string(round)}, true);
      } else {
        FileSystem::Current().Remove("Data\\UserWord.kezo");
      }
      black_->Rebuild();
      white_->Rebuild();
    });
  });
  threads.emplace_back([&] {
    until_clients_end([&](int round) {
      setup_.NonePicture = round % 2 == 0 ? 0 : 2;
      setup_.WebControl = round % 2;
      setup_.FilterAD = round % 3 == 0;
      setup_.FilterAddress = round % 2;
      setup_.AddFilterCount(1);
      ++counted_by_hand;
    });
  });
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(broken_replies, 0);
  EXPECT_EQ(filtered_pages + blocked_pages, kClients * kRequestsPerClient);
  EXPECT_GE(filtered_pages, kClients * kRequestsPerClient / 2) << "the other sites are never blocked";
  EXPECT_EQ(setup_.FilterCount, filtered_pages * kBannedLinks + counted_by_hand) << "no count was lost";
}

}  // namespace
