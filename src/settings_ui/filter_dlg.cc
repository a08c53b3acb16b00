#include "settings_ui/filter_dlg.h"

#include "config/profile_values.h"
#include "config/settings.h"
#include "core/system_integration.h"
#include "resource.h"
#include "rules/page_assets.h"
#include "rules/text_list.h"

namespace {

struct ToolTip {
  int id;
  std::u16string_view text;
};
constexpr ToolTip kToolTips[] = {
    {IDC_FILTER_ADDRESS, u"如果地址栏包含不良信息,网页内容将被屏蔽，仅对中文有效"},
    {IDC_POWERFUL_FILTERING, u"增强过滤内容,误杀率也会增加"},
    {IDC_WEB_CONTROL, u"开启后在网页右侧会出现快捷功能栏，例如屏蔽当前网站等。【注意】HTTPS开头的网站由于采用的是加密传输，该类网站不能使用本功能。"},
    {IDC_MANUAL_FILTER_IMAGE, u"当鼠标移动到图片的时候会出现【屏蔽】按钮。点击【屏蔽】就可以屏蔽图片。"},
    {IDC_RESET_IMAGE_LIST, u"清空已经屏蔽的图片列表"},
    {IDC_ENABLE_HTTP, u"屏蔽所有 HTTP 开头的网站"},
    {IDC_ENABLE_HTTPS, u"屏蔽所有 HTTPS 开头的网站"},
    {IDC_SAFE_SEARCH, u"Google、Bing、DuckDuckGo 和 YouTube 只给出安全的搜索结果。戒色模式中不能关闭。"},
};

CheckState StateOf(int value) { return value != 0 ? CheckState::kChecked : CheckState::kUnchecked; }

}  // namespace

CFilterDlg::CFilterDlg(CMyList& image_list) : CSettingsPage(IDD_FILTER), image_list_(image_list) {}

bool CFilterDlg::OnInit() {
  for (const ToolTip& tip : kToolTips) window().SetToolTip(tip.id, tip.text);
  SetupRecord& setup = TheSetup();
  DialogWindow& w = window();
  w.SetCheck(IDC_FILTER_ADDRESS, StateOf(setup.FilterAddress));
  w.SetCheck(IDC_ONLY_WHITE_LIST, StateOf(setup.IsOnlyWhiteList()));
  w.SetCheck(IDC_ENABLE_HTTP, StateOf(setup.EnableHTTP));
  w.SetCheck(IDC_ENABLE_HTTPS, StateOf(setup.EnableHTTPS));
  w.SetCheck(IDC_POWERFUL_FILTERING, StateOf(ReadProfile(profile::kPowerfullFiltering)));
  w.SetCheck(IDC_FILTER_AD, StateOf(setup.FilterAD));
  w.SetCheck(IDC_AUTO_CLEAR_CACHE, StateOf(ReadProfile(profile::kAutoClearIECookies)));
  w.SetCheck(IDC_WEB_CONTROL, StateOf(setup.WebControl));
  w.SetCheck(IDC_MANUAL_FILTER_IMAGE, StateOf(setup.ManualFilterImage));
  w.SetCheck(IDC_SAFE_SEARCH, StateOf(setup.SafeSearch));
  EnableSchemeBoxes();
  HoldSafeSearchInForcedMode();
  ShowNonePicture();
  return true;
}

void CFilterDlg::OnPageShown() {
  if (!IsOpen()) return;
  window().SetCheck(IDC_WEB_CONTROL, StateOf(TheSetup().WebControl));
  ShowNonePicture();
  HoldSafeSearchInForcedMode();
}

void CFilterDlg::HoldSafeSearchInForcedMode() {
  // The forced mode forbids weakening the filter: a checked box stays checked and greyed.
  // An unchecked one may still be checked, which only strengthens it.
  bool held = TheSetup().JieSeActive && Checked(IDC_SAFE_SEARCH);
  window().Enable(IDC_SAFE_SEARCH, !held);
}

void CFilterDlg::ShowNonePicture() {
  int mode = TheSetup().NonePicture;
  window().SetCheck(IDC_NONE_PICTURE, mode == 2 ? CheckState::kIndeterminate : StateOf(mode));
  std::u16string_view text = mode == 1 ? u"所有网站均不显示图片" : mode == 2 ? u"仅自定义网站列表不显示图片" : u"";
  window().SetText(IDC_NONE_PICTURE_MODE, text);
}

void CFilterDlg::EnableSchemeBoxes() {
  bool only_white = Checked(IDC_ONLY_WHITE_LIST);
  window().Enable(IDC_ENABLE_HTTP, only_white);
  window().Enable(IDC_ENABLE_HTTPS, only_white);
}

bool CFilterDlg::Checked(int id) { return window().Check(id) == CheckState::kChecked; }

bool CFilterDlg::OnCommand(int id) {
  switch (id) {
    case IDC_NONE_PICTURE: {
      // The mode text follows the box at once; the setting is written on save.
      CheckState state = window().Check(IDC_NONE_PICTURE);
      std::u16string_view text = state == CheckState::kChecked         ? u"所有网站均不显示图片"
                                 : state == CheckState::kIndeterminate ? u"仅自定义网站列表不显示图片"
                                                                       : u"";
      window().SetText(IDC_NONE_PICTURE_MODE, text);
      return true;
    }
    case IDC_ONLY_WHITE_LIST:
      EnableSchemeBoxes();
      if (Checked(IDC_ONLY_WHITE_LIST)) MessageBox(u"开启该功能后，除了手工添加的白名单之外将都无法访问！");
      return true;
    case IDC_POWERFUL_FILTERING: powerful_filtering_changed_ = true; return true;
    case IDC_SAFE_SEARCH:
      // Greyed in the forced mode once checked, but the mode may have begun since.
      if (TheSetup().JieSeActive && !Checked(IDC_SAFE_SEARCH)) window().SetCheck(IDC_SAFE_SEARCH, CheckState::kChecked);
      HoldSafeSearchInForcedMode();
      return true;
    case IDC_CLEAN_CACHE_NOW: CleanCacheNow(); return true;
    case IDC_RESET_IMAGE_LIST:
      // The proxy judges by this very instance: a private copy emptied here would be
      // written over by the proxy's next change.
      image_list_.Clear();
      return true;
    default: return false;
  }
}

void CFilterDlg::CleanCacheNow() {
  window().Enable(IDC_CLEAN_CACHE_NOW, false);
  window().SetText(IDC_CLEAN_CACHE_NOW, u"清理中...");
  SystemIntegration::Current().CleanBrowserTraces();
  if (!IsOpen()) return;
  window().SetText(IDC_CLEAN_CACHE_NOW, u"立即清理");
  window().Enable(IDC_CLEAN_CACHE_NOW, true);
}

void CFilterDlg::Save() {
  if (!IsOpen()) return;
  SetupRecord& setup = TheSetup();
  auto write = [this](const IntValue& value, std::atomic<int>* cache, int id) {
    int on = Checked(id) ? 1 : 0;
    WriteProfile(value, on);
    if (cache != nullptr) *cache = on;
  };
  write(profile::kFilterAddress, &setup.FilterAddress, IDC_FILTER_ADDRESS);
  setup.SetNonePicture(static_cast<int>(window().Check(IDC_NONE_PICTURE)));
  write(profile::kOnlyWhiteList, nullptr, IDC_ONLY_WHITE_LIST);
  setup.onlyWhiteListRead = false;
  write(profile::kPowerfullFiltering, nullptr, IDC_POWERFUL_FILTERING);
  write(profile::kFilterAD, &setup.FilterAD, IDC_FILTER_AD);
  write(profile::kAutoClearIECookies, nullptr, IDC_AUTO_CLEAR_CACHE);
  write(profile::kWebControl, &setup.WebControl, IDC_WEB_CONTROL);
  write(profile::kManualFilterImage, &setup.ManualFilterImage, IDC_MANUAL_FILTER_IMAGE);
  bool safe_search_held = setup.JieSeActive && setup.SafeSearch != 0;  // see HoldSafeSearchInForcedMode
  if (!safe_search_held) write(profile::kSafeSearch, &setup.SafeSearch, IDC_SAFE_SEARCH);
  WriteParamScript(setup);
  write(profile::kEnableHTTP, &setup.EnableHTTP, IDC_ENABLE_HTTP);
  write(profile::kEnableHTTPS, &setup.EnableHTTPS, IDC_ENABLE_HTTPS);
}
