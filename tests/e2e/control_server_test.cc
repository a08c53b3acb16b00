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
#include "toolbar_commands.h"

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
    Put("www\\ConfirmCommand.html", kConfirmPageTemplate);
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
  std::string Post(const std::string& target, const std::string& body, const std::string& head_lines) {
    return PostCommand(server_.Port(), target, body, head_lines);
  }
  std::string OwnOrigin() { return "http://127.0.0.1:" + std::to_string(server_.Port()); }
  std::string SameOriginLines() { return ::SameOriginLines(server_.Port()); }
  std::string KeyFromConfirmation(const std::string& target) { return CommandKey(server_.Port(), target); }
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

  EXPECT_EQ(Get("/x.black"), Reply("text/html", "not found")) << "a command without its value is a file";
  EXPECT_EQ(lists_.userBlackDomains.Count(), 2u);
}

TEST_F(ControlServerTest, CommandsThatWeakenTheFilterRunOnlyOnceConfirmedOnTheServersOwnPage) {
  std::string confirmation = Get("/x.white?url=good.example<b>");
  EXPECT_NE(confirmation.find("X-Frame-Options: DENY\r\n"), std::string::npos);
  EXPECT_NE(confirmation.find("\r\n\r\nwhite|good.example&lt;b&gt;|/x.white?url=good.example&lt;b&gt;|<input"),
            std::string::npos) << confirmation;
  std::string key = KeyFromConfirmation("/x.white?url=good.example");
  EXPECT_EQ(key.size(), 32u);
  EXPECT_EQ(lists_.userWhiteDomains.Count(), 0u) << "asking is not confirming";

  EXPECT_EQ(Post("/x.white?url=good.example", "key=" + key, SameOriginLines()), Reply("text/html", "done"));
  EXPECT_TRUE(lists_.userWhiteDomains.Contains("good.example"));

  EXPECT_EQ(KeyFromConfirmation("/x.close"), key) << "the key stays for the whole run";
  EXPECT_EQ(setup_.WebControl, 1);
  EXPECT_EQ(Post("/x.close", "a=1&key=" + KeyFromConfirmation("/x.close"), "Sec-Fetch-Site: same-origin\r\n"),
            Reply("text/html", "done"));
  EXPECT_EQ(setup_.WebControl, 0);
}

TEST_F(ControlServerTest, ForgedCommandsThatWeakenTheFilterAreRefusedAndChangeNothing) {
  const std::string key = KeyFromConfirmation("/x.white?url=bad.example");
  const std::string own = OwnOrigin();
  struct Case {
    std::string what, body, head_lines;
  } cases[] = {
      {"no key", "", SameOriginLines()},
      {"a wrong key", "key=" + std::string(32, '0'), SameOriginLines()},
      {"a key cut short", "key=" + key.substr(0, 31), SameOriginLines()},
      {"from another site", "key=" + key, "Sec-Fetch-Site: cross-site\r\n"},
      {"with another origin", "key=" + key, "Origin: http://bad.example\r\n"},
      {"with another origin on the port", "key=" + key, "Origin: http://127.0.0.1:1" + own.substr(own.rfind(':') + 1) + "\r\n"},
      {"with another referer", "key=" + key, "Referer: http://bad.example/x.white\r\n"},
  };
  for (const Case& c : cases) {
    for (const std::string target : {"/x.white?url=bad.example", "/x.close"}) {
      std::string reply = Post(target, c.body, c.head_lines);
      EXPECT_TRUE(reply.starts_with("HTTP/1.0 403 Forbidden\r\n")) << c.what << " " << target << ": " << reply;
    }
  }
  // What an <img> or a fetch of another page sends: the question, not the command.
  TestClient image(server_.Port());
  image.Send("GET /x.white?xyz=bad.example&key=" + key + " HTTP/1.1\r\nSec-Fetch-Site: cross-site\r\n\r\n");
  EXPECT_EQ(image.ReadToEnd().find("done"), std::string::npos);
  EXPECT_EQ(lists_.userWhiteDomains.Count(), 0u);
  EXPECT_EQ(setup_.WebControl, 1);
}

TEST_F(ControlServerTest, NeitherALockedProgramNorTheForcedModeLetsTheToolbarTrustASite) {
  const std::string key = KeyFromConfirmation("/x.white?url=good.example");
  lock_.LOCKED = 1;
  EXPECT_EQ(Get("/x.white?xyz=good.example"), Reply("text/html", "unlock first"));
  EXPECT_EQ(Post("/x.white?url=good.example", "key=" + key, SameOriginLines()), Reply("text/html", "unlock first"));
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

// Every filtered page loads these two: the browser may keep them rather than ask each time.
TEST_F(ControlServerTest, ThePageScriptAndTheToolbarStyleMayBeKeptByTheBrowser) {
  auto kept = [](const std::string& type, const std::string& content) {
    return "HTTP/1.0 200 OK\nContent-Type: " + type + "\nContent-Length: " + std::to_string(content.size()) +
           "\r\nCache-Control: max-age=3600\r\n\r\n" + content;
  };
  Put("www\\kezo.js", "var a;");
  Put("www\\kezo.css", "b{}");
  EXPECT_EQ(Get("/kezo.js"), kept("application/x-javascript", "var a;"));
  EXPECT_EQ(Get("/./kezo.css?v=2"), kept("text/css", "b{}"));
  EXPECT_EQ(Get("/param.js"), Reply("application/x-javascript", "var kezo_data={}")) << "follows the settings";
  EXPECT_EQ(Get("/kezo.txt"), Reply("text/html", "not found"));
}

// The cache keyed on the raw path: every spelling of a file held another copy of it.
TEST_F(ControlServerTest, EverySpellingOfAFileIsOneCacheEntryAndTheCacheHasABound) {
  EXPECT_EQ(Get("/logo.png"), Reply("image/png", "PNG"));
  Put("www\\logo.png", "changed");
  for (std::string spelling : {"/./logo.png", "//logo.png", "/.//./logo.png", "/logo.png?x=1"}) {
    EXPECT_EQ(Get(spelling), Reply("image/png", "PNG")) << spelling;
  }
  EXPECT_EQ(server_.CachedFiles(), 1u);

  for (size_t i = 0; i < CLocalHttpServer::kMaxCachedFiles + 10; ++i) Put("www\\f" + std::to_string(i) + ".css", "c");
  for (size_t i = 0; i < CLocalHttpServer::kMaxCachedFiles + 10; ++i) {
    ASSERT_EQ(Get("/f" + std::to_string(i) + ".css"), Reply("text/css", "c"));
  }
  EXPECT_EQ(server_.CachedFiles(), CLocalHttpServer::kMaxCachedFiles);
}

TEST(ControlServerPathTest, PathsAreNormalisedAsTheFileSystemReadsThem) {
  struct Case {
    std::string path, normalised;
  } cases[] = {{"/a.png", "/a.png"},         {"//a.png", "/a.png"},   {"/./a//./b.png", "/a/b.png"}, {"/", "/"},
               {"/.", "/"},                  {"/d/", "/d/"},          {"/a.png?x=/./y", "/a.png"},
               {"/../a.png", "/../a.png"},   {"", "/"}};
  for (const Case& c : cases) EXPECT_EQ(CLocalHttpServer::NormalisedPath(c.path), c.normalised) << c.path;
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
