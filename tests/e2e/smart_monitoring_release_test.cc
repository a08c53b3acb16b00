// A site that smart monitoring learned, released through the settings centre's
// smart-monitoring page: the proxy of the running main window refuses it before and passes
// it after, over real sockets.
#include <gtest/gtest.h>

#include "data_files.h"
#include "loopback_network.h"
#include "settings_centre_fixture.h"
#include "test_origin.h"

namespace {

class SmartMonitoringReleaseTest : public SettingsCentreTest {
 protected:
  // What the browser receives for a page of `host`.
  std::string Fetch(const std::string& host) {
    TestClient client(main_->Proxy()->Port());
    client.Send("GET http://" + host + ":" + std::to_string(origin_.port()) + "/ HTTP/1.1\r\n\r\n");
    return client.ReadToEnd();
  }

  LoopbackNetwork network_;
  ScopedSeam<Network> network_seam_{network_};
  TestOrigin origin_{[](const std::string&) { return TestOrigin::Response("fetched"); }};
};

TEST_F(SmartMonitoringReleaseTest, AReleasedSiteIsNoLongerRefused) {
  WriteListFile("Data\\IntelligentDomain.txt", {"learned.test", "other.test"}, false);
  WriteProfile(profile::kIntelligentMonitor, 1);
  main_->Proxy()->Config().LoadSmartMonitoring();
  EXPECT_EQ(Fetch("learned.test").find("fetched"), std::string::npos) << "a learned site is refused";
  EXPECT_TRUE(origin_.Requests().empty()) << "before anything is fetched";

  ui_.on_modal = [this](CDialog& sites) {
    EXPECT_EQ(ui_.WindowOf(sites)->ListBoxText(IDC_INTELL_LEARNED, 0), u"learned.test");
    ui_.DoubleClickListBox(sites, IDC_INTELL_LEARNED, 0);
    return kIdCancel;
  };
  ASSERT_TRUE(ui_.Click(OpenPage(CSetDlg::kIntelligentTab), IDC_INTELL_MANAGE));

  EXPECT_NE(Fetch("learned.test").find("fetched"), std::string::npos) << "released: the page comes through";
  EXPECT_EQ(Fetch("other.test").find("fetched"), std::string::npos) << "the other learned site stays refused";
}

}  // namespace
