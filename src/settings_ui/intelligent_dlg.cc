#include "settings_ui/intelligent_dlg.h"

#include "config/profile_values.h"
#include "config/settings.h"
#include "core/kezo_dlg.h"
#include "proxy/local_proxy.h"
#include "resource.h"
#include "settings_ui/intell_web_dlg.h"

CIntelligentDlg::CIntelligentDlg(CKEZODlg& main) : CSettingsPage(IDD_INTELLIGENT), main_(main) {}

std::u16string_view CIntelligentDlg::PositionText(int position) {
  switch (position) {
    case 0: return u"【严格】\n\n推荐使用，可能会有误过滤";
    case 1: return u"【适中】\n\n推荐使用，可以过滤大部分不良网站";
    case 2: return u"【宽松】\n\n适合日常使用，会有部分不良网站遗漏掉";
    case 3: return u"关闭智能监控";
    default: return u"";
  }
}

bool CIntelligentDlg::OnInit() {
  window().SetRange(IDC_INTELL_SLIDER, kStrictest, kOff);
  Load();
  return true;
}

void CIntelligentDlg::Load() {
  window().SetCheck(IDC_INTELL_TIP,
                    ReadProfile(profile::kIntelligentMonitorTip) != 0 ? CheckState::kChecked : CheckState::kUnchecked);
  int position = ReadProfile(profile::kIntelligentMonitor);
  window().SetPosition(IDC_INTELL_SLIDER, position);
  ShowPosition(window().Position(IDC_INTELL_SLIDER));
  window().Enable(IDC_INTELL_MANAGE, !TheSetup().JieSeActive);
}

void CIntelligentDlg::ShowPosition(int position) { window().SetText(IDC_INTELL_DESCRIPTION, PositionText(position)); }

bool CIntelligentDlg::OnCommand(int id) {
  switch (id) {
    case IDC_INTELL_TIP:
      WriteProfile(profile::kIntelligentMonitorTip, window().Check(IDC_INTELL_TIP) == CheckState::kChecked ? 1 : 0);
      return true;
    case IDC_INTELL_MANAGE:
      // Disabled in the forced mode, but the mode may have begun since the page was shown.
      if (TheSetup().JieSeActive) {
        window().Enable(IDC_INTELL_MANAGE, false);
        return true;
      }
      CIntellWebDlg().DoModal(this);
      if (CLocalProxy* proxy = main_.Proxy()) proxy->Config().LoadSmartMonitoring();
      return true;
    default:
      return false;
  }
}

void CIntelligentDlg::OnControlEvent(int id, ControlEvent event, std::u16string_view detail) {
  if (id == IDC_INTELL_SLIDER && event == ControlEvent::kPositionChanged) OnSliderMoved();
}

void CIntelligentDlg::OnSliderMoved() {
  int position = window().Position(IDC_INTELL_SLIDER);
  if (TheSetup().JieSeActive && position > kForcedModeLoosest) {
    position = kForcedModeLoosest;
    window().SetPosition(IDC_INTELL_SLIDER, position);
    WriteProfile(profile::kIntelligentMonitor, position);
    ShowPosition(position);
    MessageBox(kRefusal);
    return;
  }
  WriteProfile(profile::kIntelligentMonitor, position);
  ShowPosition(position);
}
