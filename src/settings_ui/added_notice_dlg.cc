#include "settings_ui/added_notice_dlg.h"

#include "resource.h"

CAddedNoticeDlg::CAddedNoticeDlg() : CDialog(IDD_ADDED_NOTICE) {}

bool CAddedNoticeDlg::OnInit() {
  DialogLook look;
  look.background = kBackground;
  look.static_text_color = Rgb(255, 255, 255);
  window().SetLook(look);
  window().SetText(IDC_NOTICE_TEXT, u"添加完成!\r\n建议清理一次浏览器缓存，并重新开启浏览器。");
  window().AnimateShow(ShowAnimation::kFade, 100);
  window().SetTimer(kStayTimer, kStayMs);
  return true;
}

// The text is a notifying static that covers the notice, so a click anywhere arrives here.
bool CAddedNoticeDlg::OnCommand(int id) {
  if (id != IDC_NOTICE_TEXT) return false;
  FadeOutAndClose(500);
  return true;
}

void CAddedNoticeDlg::OnTimer(int id) {
  if (id == kStayTimer) FadeOutAndClose(200);
}

void CAddedNoticeDlg::FadeOutAndClose(int duration_ms) {
  window().KillTimer(kStayTimer);
  window().AnimateHide(HideAnimation::kFade, duration_ms);
  End(kIdOk);
}
