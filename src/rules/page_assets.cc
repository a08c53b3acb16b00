#include "rules/page_assets.h"

#include <cstdio>

#include "base/replace_all.h"
#include "config/profile_values.h"
#include "config/settings.h"
#include "config/tip_switches.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "rules/list_files.h"

namespace {

// The whole text of a plain data file in the local code page; empty when it is missing.
std::string ReadLocalText(const char* path) {
  CMyFile file(path, false);
  file.Read();
  return WideToLocal(file.Text());
}

// `fragment` with every address of the control server at its default port moved to `port`.
// An address that goes on with more digits names another port and stays.
std::string AddressingControlPort(std::string fragment, uint16_t port) {
  if (port == CPageAssets::kDefaultControlPort) return fragment;
  const std::string_view from = CPageAssets::kDefaultControlServer;
  const std::string to = "http://127.0.0.1:" + std::to_string(port);
  for (size_t at = fragment.find(from); at != std::string::npos; at = fragment.find(from, at)) {
    size_t end = at + from.size();
    if (end < fragment.size() && fragment[end] >= '0' && fragment[end] <= '9') {
      at = end;
      continue;
    }
    fragment.replace(at, from.size(), to);
    at += to.size();
  }
  return fragment;
}

}  // namespace

CPageAssets::CPageAssets(SetupRecord& setup, uint16_t control_port)
    : setup_(setup),
      abstinence_tips_(list_files::kJieSeTips),
      cultivation_tips_(list_files::kXiuShenTips),
      page_script_(AddressingControlPort(ReadLocalText("Data\\Inject.kezo"), control_port)),
      toolbar_html_(AddressingControlPort(ReadLocalText("Data\\Control.html"), control_port)),
      random_(std::random_device{}()) {
  abstinence_tips_.Load(false);
  cultivation_tips_.Load(false);
  ReadTipFrame();
}

void CPageAssets::ReadTipFrame() {
  tip_frame_.Publish(std::make_shared<const std::string>(ReadLocalText("Data\\WebBottomTips.txt")));
}

std::string CPageAssets::GetTipLine() {
  if (setup_.tipStyleChanged.exchange(false)) ReadTipFrame();
  bool abstinence = setup_.CurrentJieSeTip() != 0;
  bool cultivation = setup_.CurrentXiuShenTip() != 0;
  if (!abstinence && !cultivation) return {};

  std::u16string abstinence_tip = abstinence ? abstinence_tips_.PickRandom() : std::u16string();
  std::u16string cultivation_tip = cultivation ? cultivation_tips_.PickRandom() : std::u16string();
  bool use_abstinence = abstinence;
  if (abstinence && cultivation) {
    std::lock_guard lock(random_mu_);
    use_abstinence = random_() % 2 == 1;
  }
  std::string line = *tip_frame_.Get();
  ReplaceEvery<char>(line, kPlaceholder, WideToLocal(use_abstinence ? abstinence_tip : cultivation_tip));
  return line;
}

void WriteParamScript(const SetupRecord& setup) {
  char text[128];
  int length = std::snprintf(text, sizeof text, "var kezo_data={}\r\nkezo_data.manual_nonepic='%d'\r\nkezo_data.no_img='%d'",
                             setup.ManualFilterImage.load(), setup.NonePicture.load());
  FileSystem::Current().Replace("www\\param.js", std::string_view(text, static_cast<size_t>(length)));
}
