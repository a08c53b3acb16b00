#include "settings_ui/intell_web_dlg.h"

#include "resource.h"
#include "rules/list_files.h"

CIntellWebDlg::CIntellWebDlg()
    : CDialog(IDD_INTELL_WEB), learned_(list_files::kIntelligentDomain), released_(list_files::kIntelligentWhiteDomain) {
  learned_.Load(true);
  released_.Load(true);
}

bool CIntellWebDlg::OnInit() {
  for (const std::u16string& site : *learned_.Entries()) window().ListBoxInsert(IDC_INTELL_LEARNED, -1, site);
  for (const std::u16string& site : *released_.Entries()) window().ListBoxInsert(IDC_INTELL_RELEASED, -1, site);
  window().SetToolTip(IDC_INTELL_LEARNED, u"双击取消智能拦截");
  window().SetToolTip(IDC_INTELL_RELEASED, u"双击删除该记录");
  return true;
}

void CIntellWebDlg::OnControlEvent(int id, ControlEvent event, std::u16string_view detail) {
  if (event != ControlEvent::kDoubleClicked) return;
  int index = window().ListBoxSelection(id);
  if (index < 0) return;
  if (id == IDC_INTELL_LEARNED) Release(index);
  if (id == IDC_INTELL_RELEASED) Forget(index);
}

void CIntellWebDlg::Release(int index) {
  std::u16string site = window().ListBoxText(IDC_INTELL_LEARNED, index);
  learned_.Remove(site);
  window().ListBoxDelete(IDC_INTELL_LEARNED, index);
  // A site released before (and learned again by hand) is shown once.
  if (released_.Add(std::u16string_view(site), true)) window().ListBoxInsert(IDC_INTELL_RELEASED, 0, site);
}

void CIntellWebDlg::Forget(int index) {
  released_.Remove(window().ListBoxText(IDC_INTELL_RELEASED, index));
  window().ListBoxDelete(IDC_INTELL_RELEASED, index);
}
