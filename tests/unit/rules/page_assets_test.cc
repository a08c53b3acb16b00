#include "rules/page_assets.h"

#include <gtest/gtest.h>

#include <set>

#include "config/profile_values.h"
#include "config/settings.h"
#include "data_files.h"
#include "memory_file_system.h"
#include "memory_profile_store.h"

namespace {

class PageAssetsTest : public ::testing::Test {
 protected:
  PageAssetsTest() {
    WriteListFile("Data\\jiese_tips.txt", {"戒一", "戒二"}, false);
    WriteListFile("Data\\xiu_shen_tips.txt", {"修一", "修二", "修三"}, false);
    WriteTextFile("Data\\WebBottomTips.txt", "<div>ShareContent|ShareContent</div>");
    WriteTextFile("Data\\Inject.kezo", "<script>var kezo_data;</script>", false);
    WriteTextFile("Data\\Control.html", "<div id=bar></div>", false);
  }
  std::string Local(const std::string& utf8) { return WideToLocal(Utf8ToWide(utf8)); }

  MemoryFileSystem files_;
  MemoryProfileStore profile_;
  ScopedSeam<FileSystem> files_seam_{files_};
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  SetupRecord setup_;
};

TEST_F(PageAssetsTest, EachTipSentenceComesOnceBeforeAnyRepeatsAndFillsEveryMarker) {
  WriteProfile(profile::kJieSeTip, 0);
  WriteProfile(profile::kXiuShenTip, 1);
  CPageAssets assets(setup_);
  std::set<std::string> seen;
  for (int i = 0; i < 3; ++i) seen.insert(assets.GetTipLine());
  EXPECT_EQ(seen, (std::set<std::string>{Local("<div>修一|修一</div>"), Local("<div>修二|修二</div>"),
                                          Local("<div>修三|修三</div>")}));
  EXPECT_EQ(assets.GetPageScript(), "<script>var kezo_data;</script>");
  EXPECT_EQ(assets.GetToolbarHtml(), "<div id=bar></div>");
}

TEST_F(PageAssetsTest, TheSwitchesAreReadAgainOnlyWhenMarkedStale) {
  WriteProfile(profile::kJieSeTip, 0);
  WriteProfile(profile::kXiuShenTip, 0);
  CPageAssets assets(setup_);
  EXPECT_EQ(assets.GetTipLine(), "");

  WriteProfile(profile::kJieSeTip, 1);
  EXPECT_EQ(assets.GetTipLine(), "") << "cached until the settings page marks it stale";
  setup_.jieSeTipStale = true;
  std::string line = assets.GetTipLine();
  EXPECT_TRUE(line == Local("<div>戒一|戒一</div>") || line == Local("<div>戒二|戒二</div>")) << line;

  WriteTextFile("Data\\WebBottomTips.txt", "<p>ShareContent</p>");
  setup_.tipStyleChanged = true;
  EXPECT_TRUE(assets.GetTipLine().starts_with("<p>"));
}

TEST_F(PageAssetsTest, MissingFilesGiveEmptyPieces) {
  MemoryFileSystem empty;
  ScopedSeam<FileSystem> seam(empty);
  CPageAssets assets(setup_);
  EXPECT_EQ(assets.GetPageScript(), "");
  EXPECT_EQ(assets.GetToolbarHtml(), "");
  EXPECT_EQ(assets.GetTipLine(), "") << "an empty frame with an empty sentence";
}

// The toolbar's commands and /param.js went to port 809 while the control server listened
// on the port HttpPort gives; the script file and the toolbar's style sheet come from there too.
TEST_F(PageAssetsTest, ThePageFragmentsAddressTheControlServerOnItsOwnPort) {
  WriteTextFile("Data\\Inject.kezo",
                "<script>var server='http://127.0.0.1:809';load(server+'/param.js');"
                "var other='http://127.0.0.1:8090/';done='http://127.0.0.1:809'</script>",
                false);
  WriteTextFile("Data\\Control.html", "<link href=\"http://127.0.0.1:809/kezo.css\"><div id=bar></div>", false);
  struct Case {
    uint16_t port;
    std::string script;
    std::string toolbar;
  } cases[] = {
      {809,
       "<script>var server='http://127.0.0.1:809';load(server+'/param.js');"
       "var other='http://127.0.0.1:8090/';done='http://127.0.0.1:809'</script>",
       "<link href=\"http://127.0.0.1:809/kezo.css\"><div id=bar></div>"},
      {40123,
       "<script>var server='http://127.0.0.1:40123';load(server+'/param.js');"
       "var other='http://127.0.0.1:8090/';done='http://127.0.0.1:40123'</script>",
       "<link href=\"http://127.0.0.1:40123/kezo.css\"><div id=bar></div>"},
  };
  for (const Case& c : cases) {
    CPageAssets assets(setup_, c.port);
    EXPECT_EQ(assets.GetPageScript(), c.script) << c.port;
    EXPECT_EQ(assets.GetToolbarHtml(), c.toolbar) << c.port;
  }
}

TEST_F(PageAssetsTest, TheParameterScriptStatesThePictureSettings) {
  setup_.ManualFilterImage = 1;
  setup_.NonePicture = 2;
  WriteParamScript(setup_);
  EXPECT_EQ(files_.Get("www\\param.js"), "var kezo_data={}\r\nkezo_data.manual_nonepic='1'\r\nkezo_data.no_img='2'");
}

}  // namespace
