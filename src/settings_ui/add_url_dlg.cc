#include "settings_ui/add_url_dlg.h"

#include "resource.h"

namespace {

// Fewer characters than this cannot be a site name; the dialog stays open.
constexpr size_t kShortestEntry = 3;

}  // namespace

CAddUrlDlg::CAddUrlDlg() : CMyDialog(IDD_ADD_URL) {}

bool CAddUrlDlg::OnInit() {
  SetBackgroundColor(Rgb(255, 255, 255));
  look().drag_by_client_area = true;
  CMyDialog::OnInit();
  window().SetTitle(u"添加");
  window().SetControlFont(IDC_ADD_PROMPT, FontStyle{u"微软雅黑", 19, 700});
  window().SetText(IDC_ADD_PROMPT, prompt);
  entry_field_.Attach(window(), IDC_ADD_URL_ENTRY);
  window().Enable(kIdOk, false);
  window().Focus(IDC_ADD_URL_ENTRY);
  return false;
}

void CAddUrlDlg::OnControlEvent(int id, ControlEvent event, std::u16string_view) {
  if (id == IDC_ADD_URL_ENTRY && event == ControlEvent::kTextChanged) {
    window().Enable(kIdOk, !window().Text(IDC_ADD_URL_ENTRY).empty());
  }
}

void CAddUrlDlg::OnOk() {
  std::u16string text = window().Text(IDC_ADD_URL_ENTRY);
  if (text.size() < kShortestEntry) return window().Focus(IDC_ADD_URL_ENTRY);
  entries.clear();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = std::min(text.find_first_of(u"\r\n", start), text.size());
    std::u16string_view line = std::u16string_view(text).substr(start, end - start);
    if (std::optional<std::u16string> entry = EntryFromAddress(line, kind)) entries.push_back(std::move(*entry));
    start = end + 1;
  }
  End(kIdOk);
}
