#include "platform/posix/gnome_proxy_setting.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "platform/command_runner.h"

namespace {

class RecordingRunner : public CommandRunner {
 public:
  bool Available(std::string_view program) override { return installed; }
  std::optional<int> Run(const std::vector<std::u16string>& words, int timeout_ms) override {
    std::string line;
    for (const std::u16string& word : words) line += (line.empty() ? "" : " ") + WideToUtf8(word);
    lines.push_back(line);
    return line.find("list-keys") != std::string::npos ? schema_code : set_code;
  }
  bool installed = true;
  int schema_code = 0;
  int set_code = 0;
  std::vector<std::string> lines;
};

class GnomeProxySettingTest : public ::testing::Test {
 protected:
  RecordingRunner runner_;
  ScopedSeam<CommandRunner> seam_{runner_};
  GnomeProxySetting setting_;
};

TEST_F(GnomeProxySettingTest, PointsHttpAndHttpsAtTheProxyWithTheBypassAsNetworks) {
  int error = 0;
  EXPECT_TRUE(setting_.PointAtLocalProxy(u"ignored here", 9090, u"localhost;127.*;172.16.*;192.168.1.*;*.lan;<local>",
                                         &error));
  EXPECT_EQ(runner_.lines, (std::vector<std::string>{
                               "gsettings list-keys org.gnome.system.proxy",
                               "gsettings set org.gnome.system.proxy.http host '127.0.0.1'",
                               "gsettings set org.gnome.system.proxy.http port 9090",
                               "gsettings set org.gnome.system.proxy.https host '127.0.0.1'",
                               "gsettings set org.gnome.system.proxy.https port 9090",
                               "gsettings set org.gnome.system.proxy ignore-hosts ['localhost', '127.0.0.0/8', "
                               "'172.16.0.0/16', '192.168.1.0/24', '*.lan']",
                               "gsettings set org.gnome.system.proxy mode 'manual'",
                           }));

  runner_.lines.clear();
  setting_.SetDirectWithAutoDetect();
  EXPECT_EQ(runner_.lines.front(), "gsettings set org.gnome.system.proxy autoconfig-url ''");
  EXPECT_EQ(runner_.lines.back(), "gsettings set org.gnome.system.proxy mode 'auto'");

  runner_.lines.clear();
  setting_.SwitchOffAtSessionEnd();
  EXPECT_EQ(runner_.lines, (std::vector<std::string>{"gsettings set org.gnome.system.proxy mode 'none'"}));
}

TEST_F(GnomeProxySettingTest, AFailedChangeIsReportedWithItsCode) {
  runner_.set_code = 1;
  int error = 0;
  EXPECT_FALSE(setting_.PointAtLocalProxy(u"", 9090, u"", &error));
  EXPECT_EQ(error, 1);
}

TEST_F(GnomeProxySettingTest, ADesktopWithoutTheSettingGetsOneLineAndNoChanges) {
  runner_.schema_code = 1;  // gsettings without GNOME's schema
  testing::internal::CaptureStdout();
  int error = 0;
  EXPECT_TRUE(setting_.PointAtLocalProxy(u"", 9090, u"", &error));
  setting_.SetDirectWithAutoDetect();
  setting_.SwitchOffAtSessionEnd();
  std::string said = testing::internal::GetCapturedStdout();
  EXPECT_NE(said.find("no proxy setting"), std::string::npos);
  EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line";
  EXPECT_EQ(runner_.lines, (std::vector<std::string>{"gsettings list-keys org.gnome.system.proxy"}));
}

}  // namespace
