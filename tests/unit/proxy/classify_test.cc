// The order of the request checks, through the proxy's own judgement (no sockets used).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "config/process_flags.h"
#include "config/profile_values.h"
#include "data_files.h"
#include "memory_file_system.h"
#include "memory_profile_store.h"
#include "proxy/proxy_config.h"

namespace {

using enum RequestVerdict;

// A data file as committed in dist/Data.
std::string ShippedDataFile(const std::string& name) {
  std::ifstream file(std::string(KEZO_SOURCE_ROOT) + "/dist/Data/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

class ClassifyTest : public ::testing::Test {
 protected:
  ClassifyTest() {
    ServersStopping = false;
    WriteListFile("Data\\word.kezo", {"色情"}, true);
    WriteListFile("Data\\whiteword.kezo", {"反色情"}, true);
    WriteListFile("Data\\whitedomain.kezo", {"gov.test", "white.test"}, true);
    WriteListFile("Data\\blackdomain.kezo", {"black.test", "white.test", "hentai", "cdn.parent.test"}, true);
    WriteListFile("Data\\UserWhiteDomain.kezo", {"mine.test"}, true);
    WriteListFile("Data\\UserBlackDomain.kezo", {"mine.test", "example.test"}, true);
    WriteListFile("Data\\URLFilter.kezo", {"porn"}, true);
    WriteListFile("Data\\filter_img.txt", {"http://img.test/a.jpg"}, false);
    WriteListFile("Data\\URLList.txt", {"http://img.test/manual.jpg"}, false);
    WriteListFile("Data\\IntelligentDomain.txt", {"learned.test"}, false);
    WriteListFile("Data\\easylistchina.txt", {"||ads.test^", "/banner/*"}, false);
    WriteListFile("Data\\blackfamily.kezo", {"#sds", "xjj#", "velvetlounge"}, true);
    for (const char* name : {"HostWeakWords.kezo", "HostCompanionWords.kezo"}) {
      files_.Put(std::string("Data\\") + name, ShippedDataFile(name));
    }
    setup_.FilterAddress = 1;
    setup_.ManualFilterImage = 1;
    black_ = std::make_unique<CWordFilter>(true);
    white_ = std::make_unique<CWordFilter>(false);
    LoadConfig();
  }
  void LoadConfig() {
    config_.reset();
    config_ = std::make_unique<CProxyConfig>(lists_, setup_);
    config_->SetWordFilters(black_.get(), white_.get());
    config_->Load();
  }
  ~ClassifyTest() override {
    config_.reset();
    ServersStopping = false;
  }

  // The verdict and the deciding check with its detail, as the diagnostic tool prints it.
  struct Outcome {
    RequestVerdict verdict;
    std::string reason;
  };
  Outcome Judge(const std::string& url, const std::string& referer_host = "") {
    CProxyConfig::Judgement judgement = config_->Judge(url, SplitUrl(url), referer_host, true);
    std::string reason(judgement.check);
    if (!judgement.detail.empty()) reason += ":" + judgement.detail;
    return {judgement.verdict, reason};
  }

  MemoryFileSystem files_;
  MemoryProfileStore profile_;
  ScopedSeam<FileSystem> files_seam_{files_};
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  SharedLists lists_;
  SetupRecord setup_;
  std::unique_ptr<CWordFilter> black_, white_;
  std::unique_ptr<CProxyConfig> config_;
};

TEST_F(ClassifyTest, ChecksRunInTheirFixedOrder) {
  struct Case {
    std::string url, referer;
    RequestVerdict verdict;
    std::string reason;
  } cases[] = {
      {"http://mine.test/", "", kPassWhite, "user-white:base-domain"},       // white beats the user's black
      {"http://white.test/", "", kPassWhite, "shipped-white:bare-host"},     // and the shipped black
      {"http://www.news.test/x", "gov.test", kPassWhite, "shipped-white:referer"},
      {"http://news.test/x", "mine.test", kPassWhite, "user-white:referer"},
      {"http://www.black.test/x", "", kBlockPage, "shipped-black:base-domain"},
      {"http://cdn.parent.test/x", "", kBlockPage, "shipped-black:bare-host"},
      {"http://img.cdn.parent.test/x", "", kBlockPage, "shipped-black:parent-domain"},
      {"http://parent.test/x", "", kPassFiltered, ""},  // an entry for a host never covers its parent
      {"http://any.site.xxx/", "", kBlockPage, "adult-domain"},
      {"http://site.porn/", "", kBlockPage, "adult-domain"},
      {"site.adult:443", "", kBlockPage, "adult-domain"},
      {"http://shop.sex/", "", kBlockPage, "adult-domain"},
      {"http://anything.sex.pl/", "", kBlockPage, "adult-domain"},
      {"http://sex.example/", "", kPassFiltered, ""},      // a label, not the suffix
      {"http://site.xxx.example/", "", kPassFiltered, ""},
      {"http://www.example.test/", "", kBlockPage, "user-black:base-domain"},
      {"http://sub.pornhub.test/", "", kBlockPage, "url-keyword:porn"},
      {"http://hentai-site.test/", "", kBlockPage, "url-keyword:hentai"},   // a dot-less shipped entry
      {"http://learned.test/", "", kBlockPage, "learned-site"},
      {"http://img.test/a.jpg", "", kBlankImage, "image-list"},
      {"http://img.test/manual.jpg", "", kBlankImage, "manual-image-list"},
      {"http://news.test/?q=%E8%89%B2%E6%83%85", "", kDrop, "address-text"},  // UTF-8 encoded
      {"http://news.test/?q=\xC9\xAB\xC7\xE9", "", kDrop, "address-text"},    // local double-byte text
      {"http://news.test/?q=%C9%AB%C7%E9", "", kDrop, "address-text"},         // the same, encoded
      {"http://news.test/?q=%E5%8F%8D%E8%89%B2%E6%83%85", "", kPassFiltered, ""},  // a white word around it
      {"http://news.test/?q=%E5%8F%8D%E8%89%B2%E6%83%85%20%E8%89%B2%E6%83%85", "", kDrop, "address-text"},  // one clear, one not
      {"http://news.test/?q=sex", "", kPassFiltered, ""},
      {"http://news.test/", "", kPassFiltered, ""},
  };
  for (const Case& c : cases) {
    Outcome judgement = Judge(c.url, c.referer);
    EXPECT_EQ(judgement.verdict, c.verdict) << c.url;
    EXPECT_EQ(judgement.reason, c.reason) << c.url;
  }
}

TEST_F(ClassifyTest, AWhiteRefererNeverClearsASiteThatIsNamedBlack) {
  WriteProfile(profile::kIntelligentMonitor, 1);
  config_->LoadSmartMonitoring();
  struct Case {
    std::string url, reason;
  } cases[] = {
      {"http://www.black.test/x", "shipped-black:base-domain"},
      {"http://example.test/", "user-black:base-domain"},
      {"http://pornhub.test/", "url-keyword:porn"},
      {"http://learned.test/", "learned-site"},
      {"http://site.xxx/", "adult-domain"},
      {"http://802sds.com/", "mirror-family"},
      {"http://teengaydick.com/", "weak-words"},
  };
  for (const Case& c : cases) {
    for (std::string referer : {"gov.test", "mine.test"}) {
      Outcome judgement = Judge(c.url, referer);
      EXPECT_EQ(judgement.verdict, kBlockPage) << c.url << " from " << referer;
      EXPECT_EQ(judgement.reason, c.reason) << c.url << " from " << referer;
    }
  }
}

// Names that no list holds: the families of the black list and weak adult words in company
// refuse them, with the shipped words and host keywords, while popular ordinary names that
// hold the same words pass.
TEST_F(ClassifyTest, NamesThatReadAsAdultAreRefusedWithoutAList) {
  for (const char* name : {"URLFilter.kezo", "URLFilterWhite.kezo"}) {
    files_.Put(std::string("Data\\") + name, ShippedDataFile(name));
  }
  LoadConfig();
  struct Case {
    std::string host, reason;
  } cases[] = {
      {"802sds.com", "mirror-family"},       // a mirror of the "#sds" family
      {"www.217sds.xyz", "mirror-family"},   // under any suffix
      {"xjj113.net", "mirror-family"},
      {"velvetlounge.xyz", "mirror-family"}, // a listed label under another suffix
      {"teengaydick.com", "weak-words"},     // two weak words
      {"cougarlust.com", "weak-words"},
      {"adultdatingplanet.com", "weak-words"},  // a weak word and a companion
      {"lesbian-panties.com", "weak-words"},
      {"uhxxtube.com", "weak-words"},        // a weak word beside a marker
      {"xgrannypics.com", "weak-words"},
      {"sds.com", ""},                       // the shape needs its digits
      {"sds802.com", ""},
      {"youtube.com", ""},
      {"cambridge.org", ""},
      {"bandcamp.com", ""},
      {"adultswim.com", ""},
      {"hotmail.com", ""},
      {"teenvogue.com", ""},
      {"canteenpics.com", ""},               // "teen" inside an ordinary word
      {"livechat.com", ""},                  // companions alone
      {"hotdates.net", ""},
      {"chatgpt.com", ""},
      {"aerotime.aero", ""},
      {"businessofapps.com", ""},
      {"1688.com", ""},
      {"163.com", ""},
      {"58.com", ""},
  };
  for (const Case& c : cases) {
    Outcome judgement = Judge(c.host + ":443");
    EXPECT_EQ(judgement.verdict, c.reason.empty() ? kPassFiltered : kBlockPage) << c.host;
    EXPECT_EQ(judgement.reason, c.reason) << c.host;
  }
  WriteListFile("Data\\whitedomain.kezo", {"802sds.com"}, true);
  LoadConfig();
  EXPECT_EQ(Judge("http://802sds.com/").verdict, kPassWhite);  // white lists still win
}

TEST_F(ClassifyTest, SwitchesTurnChecksOff) {
  setup_.FilterAddress = 0;
  EXPECT_EQ(Judge("http://news.test/?q=%E8%89%B2%E6%83%85").verdict, kPassFiltered);
  setup_.ManualFilterImage = 0;
  EXPECT_EQ(Judge("http://img.test/manual.jpg").verdict, kPassFiltered);
  WriteProfile(profile::kIntelligentMonitor, 3);
  config_->LoadSmartMonitoring();
  EXPECT_EQ(Judge("http://learned.test/").verdict, kPassFiltered) << "smart monitoring off";
}

TEST_F(ClassifyTest, AdRulesApplyToWhiteSitesToo) {
  EXPECT_EQ(Judge("http://ads.test/a.js").verdict, kPassFiltered) << "ad filtering is off by default";
  setup_.FilterAD = 1;
  EXPECT_EQ(Judge("http://ads.test/a.js").reason, "ad-rule:||ads.test^");
  EXPECT_EQ(Judge("http://white.test/banner/1.gif").verdict, kBlankImage);
  EXPECT_EQ(Judge("http://white.test/page.html").verdict, kPassWhite);
}

TEST_F(ClassifyTest, OnlyWhiteListModeBlocksOtherSitesByPort) {
  WriteProfile(profile::kOnlyWhiteList, 1);
  setup_.onlyWhiteListRead = false;
  setup_.EnableHTTP = 1;
  setup_.EnableHTTPS = 0;
  EXPECT_EQ(Judge("http://gov.test/").verdict, kPassWhite);
  EXPECT_EQ(Judge("http://news.test/").verdict, kBlockPage);
  EXPECT_EQ(Judge("news.test:443").verdict, kPassFiltered) << "HTTPS is left to the other checks";
  EXPECT_EQ(Judge("black.test:443").verdict, kBlockPage);
  setup_.EnableHTTPS = 1;
  EXPECT_EQ(Judge("news.test:443").reason, "only-white-list");
}

}  // namespace
