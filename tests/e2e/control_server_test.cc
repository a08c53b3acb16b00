// The control server over real sockets: the toolbar's commands and the files of www.
#include "proxy/control_server.h"

#include <gtest/gtest.h>

#include "config/process_flags.h"
#include "config/profile_values.h"
#include "data_files.h"
#include "memory_profile_store.h"
#include "platform/file_system.h"
#include "recording_url_cache.h"
#include "temp_folder.h"
#include "test_origin.h"

namespace {

class ControlServerTest : public ::testing::Test {
 protected:
  ControlServerTest() {
    ServersStopping = false;
    std::filesystem::create_directories(folder_.path() / "www");
    Put("www\\404.htm", "not found");
    Put("www\\OperationCompleted.html", "done");
    Put("www\\ShowUnlock.html", "unlock first");
    Put("www\\logo.png", "PNG");
    Put("www\\param.js", "var kezo_data={}");
    server_.Start();
  }
  ~ControlServerTest() override {
    server_.Stop();
    ServersStopping = false;
  }
  static void Put(const std::string& path, const std::string& content) { FileSystem::Current().Replace(path, content); }

  // The reply to a GET of `target`.
  std::string Get(const std::string& target) {
    TestClient client(server_.Port());
    client.Send("GET " + target + " HTTP/1.1\r\nHost: localhost\r\n\r\n");
    return client.ReadToEnd();
  }
  static std::string Reply(const std::string& type, const std::string& content) {
    return "HTTP/1.0 200 OK\nContent-Type: " + type + "\nContent-Length: " + std::to_string(content.size()) +
           "\r\n\r\n" + content;
  }

  ScopedTempWorkingFolder folder_;
  MemoryProfileStore profile_;
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  RecordingUrlCache url_cache_;
  ScopedSeam<UrlCache> cache_seam_{url_cache_};
  SharedLists lists_;
  SetupRecord setup_;
  LockRecord lock_;
  CLocalHttpServer server_{0, lists_, setup_, lock_};
};

TEST_F(ControlServerTest, SiteCommandsChangeTheListsWhateverTheCaseOfTheCommandWord) {
  EXPECT_EQ(Get("/x.black?xyz=http://www.Bad.example/page"), Reply("text/html", "done"));
  EXPECT_EQ(Get("/x.BLACK?xyz=worse.example"), Reply("text/html", "done"));
  EXPECT_TRUE(lists_.userBlackDomains.Contains("bad.example"));
  EXPECT_TRUE(lists_.userBlackDomains.Contains("worse.example"));
  EXPECT_EQ(url_cache_.Removed().front(), u"http://www.Bad.example/page");

  EXPECT_EQ(Get("/x.white?xyz=good.example"), Reply("text/html", "done"));
  EXPECT_TRUE(lists_.userWhiteDomains.Contains("good.example"));

  EXPECT_EQ(Get("/x.black"), Reply("text/html", "not found")) << "a command without its value is a file";
  EXPECT_EQ(lists_.userBlackDomains.Count(), 2u);
}

TEST_F(ControlServerTest, NeitherALockedProgramNorTheForcedModeLetsTheToolbarTrustASite) {
  lock_.LOCKED = 1;
  EXPECT_EQ(Get("/x.white?xyz=good.example"), Reply("text/html", "unlock first"));
  lock_.LOCKED = 0;
  setup_.JieSeActive = true;
  EXPECT_EQ(Get("/x.white?xyz=good.example"), Reply("text/html", "unlock first"));
  EXPECT_EQ(lists_.userWhiteDomains.Count(), 0u);
}

TEST_F(ControlServerTest, PictureAndToolbarCommands) {
  EXPECT_EQ(Get("/x.noimg?xyz=http%3A%2F%2Fwww.pics.example%2Fa"), Reply("text/html", "done"));
  EXPECT_EQ(url_cache_.Removed(), std::vector<std::u16string>{u"http://www.pics.example/a"});
  EXPECT_TRUE(lists_.userNoImageDomains.Contains("pics.example"));
  EXPECT_EQ(setup_.NonePicture, 2);
  EXPECT_EQ(ReadProfile(profile::kNonePicture), 2);

  EXPECT_EQ(Get("/x.filterimage?xyz=http%3A%2F%2Fimg.example%2Fp.jpg"), Reply("text/html", "done"));
  EXPECT_TRUE(lists_.urlList.Contains("http://img.example/p.jpg"));

  EXPECT_EQ(Get("/x.close"), Reply("text/html", "done"));
  EXPECT_EQ(setup_.WebControl, 0);
}

TEST_F(ControlServerTest, SettingsAreOpenedBeforeTheReply) {
  bool opened = false;
  server_.Stop();
  CLocalHttpServer server(0, lists_, setup_, lock_);
  server.SetSettingsOpener([&] { opened = true; });
  server.Start();
  TestClient client(server.Port());
  client.Send("GET /x.set HTTP/1.1\r\n\r\n");
  EXPECT_EQ(client.ReadToEnd(), Reply("text/html", "done"));
  EXPECT_TRUE(opened);
}

TEST_F(ControlServerTest, FilesAreServedWithTheirTypesAndCachedExceptTheParameterScript) {
  EXPECT_EQ(Get("/logo.png"), Reply("image/png", "PNG"));
  Put("www\\logo.png", "changed");
  EXPECT_EQ(Get("/logo.png"), Reply("image/png", "PNG")) << "the second reply comes from the cache";

  EXPECT_EQ(Get("/param.js"), Reply("application/x-javascript", "var kezo_data={}"));
  Put("www\\param.js", "var kezo_data={x}");
  EXPECT_EQ(Get("/param.js"), Reply("application/x-javascript", "var kezo_data={x}")) << "always from disk";

  std::filesystem::create_directories(folder_.path() / "www" / "data.old");
  Put("www\\data.old\\a.png", "A");
  EXPECT_EQ(Get("/data.old/a.png"), Reply("application/octet-stream", "A")) << "the extension starts at the first dot";
  EXPECT_EQ(Get("/missing.css"), Reply("text/html", "not found"));
}

TEST_F(ControlServerTest, TheNotFoundPageIsSentWithoutTheHeadItCarriesForTheProxy) {
  Put("www\\404.htm", "HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nblocked");
  EXPECT_EQ(Get("/missing.html"), Reply("text/html", "blocked"));
  EXPECT_EQ(Get("/folder"), Reply("text/html", "blocked"));
}

TEST_F(ControlServerTest, RequestsOutsideTheRulesGetTheNotFoundPage) {
  Put("secret.txt", "secret");
  const std::string not_found = Reply("text/html", "not found");
  EXPECT_EQ(Get("/../secret.txt"), not_found);
  EXPECT_EQ(Get("/a/../../secret.txt"), not_found);
  EXPECT_EQ(Get("/..\\secret.txt"), not_found);
  EXPECT_EQ(Get("/x" + std::string(300, 'a') + ".png"), not_found);
  EXPECT_EQ(Get("/x.abcdefghijklmnopqrst"), not_found) << "an extension part of 20 bytes";

  TestClient other(server_.Port());
  other.Send("DELETE /logo.png HTTP/1.1\r\n\r\n");
  EXPECT_EQ(other.ReadToEnd(), not_found) << "not GET or POST: empty path";
  TestClient long_line(server_.Port());
  long_line.Send("GET /logo.png?" + std::string(5000, 'q') + " HTTP/1.1\r\n\r\n");
  EXPECT_EQ(long_line.ReadToEnd(), not_found);
  TestClient silent(server_.Port());
  silent.Close();
}

TEST(ControlServerParseTest, RequestLinesAreTakenApartAsTheToolbarSendsThem) {
  struct Case {
    std::string received, path, extension, value;
  } cases[] = {
      {"GET /a/b.html?x HTTP/1.1\r\n", "/a/b.html?x", ".html", ""},
      {"POST /a/b.html?x HTTP/1.1\r\n", "/a/b.html?x", ".html", ""},
      {"GET /x.Black?xyz=site.example HTTP/1.1\r\n", "/x.Black?xyz=site.example", ".black", "site.example"},
      {"GET /x.black?xyz= HTTP/1.1\r\n", "/x.black?xyz=", ".black", ""},
      {"GET / HTTP/1.1\r\n", "/", "", ""},
      {"GET /index HTTP/1.1", "", "", ""},  // no line end
      {"GET /x.png\r\n", "", "", ""},       // no HTTP/1
  };
  for (const Case& c : cases) {
    CLocalHttpServer::Request request = CLocalHttpServer::ParseRequest(c.received);
    EXPECT_EQ(request.path, c.path) << c.received;
    EXPECT_EQ(request.extension, c.extension) << c.received;
    EXPECT_EQ(request.value, c.value) << c.received;
  }
}

}  // namespace
