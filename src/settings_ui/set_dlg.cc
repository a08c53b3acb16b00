#include "settings_ui/set_dlg.h"

#include <type_traits>

#include "core/kezo_dlg.h"
#include "core/safe_dlg.h"
#include "proxy/local_proxy.h"
#include "resource.h"
#include "rules/word_filter.h"
#include "settings_ui/basic_set_dlg.h"
#include "settings_ui/bw_domain_dlg.h"
#include "settings_ui/filter_dlg.h"
#include "settings_ui/intelligent_dlg.h"
#include "settings_ui/user_word_dlg.h"

namespace {

// A page of class `Page`, built with the main window when it takes one.
template <class Page>
std::unique_ptr<CSettingsPage> MakePage(CKEZODlg& main) {
  if constexpr (std::is_constructible_v<Page, CKEZODlg&>) {
    return std::make_unique<Page>(main);
  } else {
    return std::make_unique<Page>();
  }
}

constexpr const char16_t* kCaptions[CSetDlg::kTabCount] = {u"基本设置", u"过滤设置", u"关键字词",
                                                          u"黑白网址名单", u"密码安全", u"智能监控"};

}  // namespace

// The pages in tab order (CSetDlg::Tab). A page not built yet is a CPlaceholderPage; its
// page class takes its place here once it exists.
CSetDlg::PageFactories CSetDlg::ProgramPages() {
  return {
      MakePage<CBasicSetDlg>,  // 基本设置
      [](CKEZODlg& main) -> std::unique_ptr<CSettingsPage> { return std::make_unique<CFilterDlg>(main.Lists().urlList); },
      MakePage<CUserWordDlg>,  // 关键字词
      MakePage<CBWDomainDlg>,  // 黑白网址名单
      MakePage<CSafeDlg>,  // 密码安全
      MakePage<CIntelligentDlg>,  // 智能监控
  };
}

CSetDlg::CSetDlg(CKEZODlg& main, const PageFactories& pages)
    : CDialog(IDD_SET), main_(main), tabs_(*this, IDC_SET_TAB) {
  for (int i = 0; i < kTabCount; ++i) pages_[i] = pages[i](main_);
}

CSetDlg::~CSetDlg() {
  // The pages' windows are children of this window: they go with it, before the pages.
  DestroyWindow();
}

bool CSetDlg::Open() {
  bool reopened = IsOpen() && !window().IsVisible();
  if (!Create()) return false;
  window().BringToFront();
  if (reopened) tabs_.OnHostShownAgain();
  return true;
}

bool CSetDlg::OnInit() {
  window().SetToolWindow(false);  // a task-bar button of its own
  window().SetWindowSize(kSize);
  Size client = window().ClientSize();
  window().MoveControl(IDC_SET_TAB, Rect{kTabMargin, kTabMargin, client.width - kTabMargin, client.height - kTabMargin});
  DialogLook white;
  white.background = kPageBackground;
  for (int i = 0; i < kTabCount; ++i) {
    if (tabs_.Add(kCaptions[i], *pages_[i])) pages_[i]->Window()->SetLook(white);
  }
  tabs_.Select(kBasicTab);
  return true;
}

bool CSetDlg::OnSysCommand(SysCommand command) {
  if (command != SysCommand::kClose) return false;
  Close();
  return true;
}

void CSetDlg::OnControlEvent(int id, ControlEvent event, std::u16string_view detail) {
  if (id == IDC_SET_TAB && event == ControlEvent::kTabChanged) tabs_.OnTabChanged();
}

void CSetDlg::Close() {
  if (!IsOpen() || !window().IsVisible()) return;
  if (Page(kKeywordsTab).KeywordsChanged()) keywords_changed_ = true;
  tabs_.Select(kBasicTab);
  SavePages();
  if (keywords_changed_ || Page(kFilterTab).KeywordsChanged()) {
    if (CWordFilter* keywords = main_.BlackFilter()) keywords->Rebuild();
  }
  keywords_changed_ = false;
  if (CLocalProxy* proxy = main_.Proxy()) proxy->Config().LoadSmartMonitoring();
  window().Show(WindowShow::kHidden);
}

void CSetDlg::SavePages() {
  Page(kBasicTab).Save();
  Page(kFilterTab).Save();
}
