#include "settings_ui/add_word_dlg.h"

#include "resource.h"

CAddWordDlg::CAddWordDlg() : CMyDialog(IDD_ADD_WORD) {}

bool CAddWordDlg::OnInit() {
  SetBackgroundColor(Rgb(255, 255, 255));
  CMyDialog::OnInit();
  window().SetTitle(u"添加");
  window().SetControlFont(IDC_ADD_PROMPT, FontStyle{u"微软雅黑", 19, 700});
  window().SetTextLimit(IDC_ADD_WORD_ENTRY, kLongestWord);
  window().SetText(IDC_ADD_WORD_ENTRY, word);
  window().Enable(kIdOk, !word.empty());
  window().Focus(IDC_ADD_WORD_ENTRY);
  return false;
}

void CAddWordDlg::OnControlEvent(int id, ControlEvent event, std::u16string_view) {
  if (id == IDC_ADD_WORD_ENTRY && event == ControlEvent::kTextChanged) {
    window().Enable(kIdOk, !window().Text(IDC_ADD_WORD_ENTRY).empty());
  }
}

void CAddWordDlg::OnOk() {
  word = window().Text(IDC_ADD_WORD_ENTRY).substr(0, kLongestWord);
  End(kIdOk);
}
