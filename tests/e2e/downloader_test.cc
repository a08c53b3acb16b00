// The platform's downloader against a local web server: what counts as a complete
// download, and that a failed one never damages the file it would have replaced.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/downloader.h"
#include "platform/file_system.h"
#include "temp_folder.h"
#include "update_server.h"

namespace {

class DownloaderTest : public ::testing::Test {
 protected:
  std::string Read(const char* file) { return FileSystem::System().ReadAll(file).value_or("<missing>"); }

  ScopedTempWorkingFolder folder_;
  UpdateServer server_;
};

TEST_F(DownloaderTest, SavesACompleteBodyAndReportsProgress) {
  std::string body(200000, 'x');
  body[0] = '<';
  server_.Serve("/big.bin", body);
  uint64_t last_received = 0, last_total = 0;
  int reports = 0;
  ASSERT_TRUE(Downloader::System().Download(server_.Url("/big.bin"), "Data\\big.bin", [&](uint64_t received, uint64_t total) {
    ++reports;
    last_received = received;
    last_total = total;
  }));
  EXPECT_EQ(Read("Data\\big.bin"), body);
  EXPECT_GT(reports, 0);
  EXPECT_EQ(last_received, body.size());
  EXPECT_EQ(last_total, body.size());
}

TEST_F(DownloaderTest, TakesChunkedAndConnectionDelimitedBodiesAndFollowsRedirects) {
  server_.SetReply("/chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n7;x=1\r\n, world\r\n0\r\n\r\n");
  server_.SetReply("/until-close", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nto the end");
  server_.SetReply("/moved", "HTTP/1.1 302 Found\r\nLocation: /until-close\r\nContent-Length: 0\r\n\r\n");
  ASSERT_TRUE(Downloader::System().Download(server_.Url("/chunked"), "a.txt", {}));
  EXPECT_EQ(Read("a.txt"), "hello, world");
  ASSERT_TRUE(Downloader::System().Download(server_.Url("/until-close"), "b.txt", {}));
  EXPECT_EQ(Read("b.txt"), "to the end");
  ASSERT_TRUE(Downloader::System().Download(server_.Url("/moved"), "c.txt", {}));
  EXPECT_EQ(Read("c.txt"), "to the end");
}

TEST_F(DownloaderTest, AFailedDownloadLeavesTheOldFileAsItWas) {
  ASSERT_TRUE(FileSystem::System().Replace("Data\\list.txt", "old list"));
  server_.SetReply("/cut", "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nonly a part");
  server_.SetReply("/error", "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 5\r\n\r\noops!");
  const std::string failing[] = {server_.Url("/missing"), server_.Url("/cut"), server_.Url("/error"),
                                 "http://127.0.0.1:1/refused"};
  for (const std::string& url : failing) {
    EXPECT_FALSE(Downloader::System().Download(url, "Data\\list.txt", {})) << url;
    EXPECT_EQ(Read("Data\\list.txt"), "old list") << url;
  }
  EXPECT_FALSE(Downloader::System().Download(server_.Url("/missing"), "fresh.txt", {}));
  EXPECT_FALSE(FileSystem::System().Exists("fresh.txt"));
}

}  // namespace
