// The tip style from the editor to the browser: saved in the editor, it reaches the next
// page the proxy filters.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/process_flags.h"
#include "config/profile_values.h"
#include "config/settings.h"
#include "core/kezo_resources.h"
#include "file_text.h"
#include "framework/application.h"
#include "framework/headless/headless_ui.h"
#include "loopback_network.h"
#include "memory_profile_store.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "proxy/local_proxy.h"
#include "rules/word_filter.h"
#include "temp_folder.h"
#include "test_origin.h"
#include "test_pages.h"
#include "tools/tip_style.h"
#include "tools/user_define_web_tip_dlg.h"
#include "tools_resource.h"

namespace {

class TipStylePipelineTest : public ::testing::Test {
 protected:
  TipStylePipelineTest() {
    ServersStopping = false;
    std::filesystem::create_directories(folder_.path() / "Data");
    std::string shipped =
        FileText(std::filesystem::path(KEZO_SOURCE_ROOT) / "dist" / "Data" / "WebBottomTipsTemplate.txt");
    FileSystem::Current().Replace(CUserDefineWebTipDlg::kTemplatePath, shipped);
    FileSystem::Current().Replace(CUserDefineWebTipDlg::kTipPath, shipped);
    FileSystem::Current().Replace("Data\\jiese_tips.txt", WideToLocal(u"克己复礼\r\n"));
    WriteProfile(profile::kJieSeTip, 1);
    WriteProfile(profile::kXiuShenTip, 0);
    TheSetup().jieSeTipStale = true;
    TheSetup().xiuShenTipStale = true;
    TheSetup().tipStyleChanged = false;
    proxy_ = std::make_unique<CLocalProxy>(0, lists_, TheSetup());
    proxy_->Config().SetWordFilters(&black_, &white_);
    proxy_->Start();
  }
  ~TipStylePipelineTest() override {
    proxy_->Stop();
    ServersStopping = false;
    TheSetup().tipStyleChanged = false;
    TheSetup().jieSeTipStale = true;
    TheSetup().xiuShenTipStale = true;
  }
  std::u16string FetchPage() {
    TestClient client(proxy_->Port());
    client.Send("GET http://site.test:" + std::to_string(origin_.port()) + "/ HTTP/1.1\r\n\r\n");
    return LocalToWide(client.ReadToEnd());
  }

  CApplication application_{u"Veltra"};
  ScopedTempWorkingFolder folder_;
  MemoryProfileStore profile_;
  ScopedSeam<ProfileStore> profile_seam_{profile_};
  LoopbackNetwork network_;
  ScopedSeam<Network> network_seam_{network_};
  TestOrigin origin_{[](const std::string&) { return PageReply("<html><body><p>hello</p></body></html>"); }};
  SharedLists lists_;
  CWordFilter black_{true};
  CWordFilter white_{false};
  std::unique_ptr<CLocalProxy> proxy_;
  HeadlessUi ui_{KezoResources()};
  ScopedUiBackend installed_{ui_};
};

TEST_F(TipStylePipelineTest, ASavedStyleReachesTheNextFilteredPage) {
  std::u16string before = FetchPage();
  ASSERT_NE(before.find(u"克己复礼"), std::u16string::npos) << "the tip line is inserted";
  EXPECT_NE(before.find(u";color: #000000"), std::u16string::npos);

  ui_.on_choose_color = [](Color) { return std::optional<Color>(Rgb(0x12, 0x34, 0x56)); };
  ui_.on_modal = [this](CDialog& editor) {
    ui_.Click(editor, IDC_TIP_CHANGE_COLOUR);  // the text colour
    ui_.Click(editor, kIdOk);
    return kIdCancel;
  };
  CUserDefineWebTipDlg().DoModal();

  std::u16string after = FetchPage();
  EXPECT_NE(after.find(u";color: #123456"), std::u16string::npos);
  EXPECT_EQ(after.find(u";color: #000000"), std::u16string::npos);
  EXPECT_NE(after.find(u"克己复礼"), std::u16string::npos);
  EXPECT_FALSE(TheSetup().tipStyleChanged) << "the filter took the change";
}

}  // namespace
