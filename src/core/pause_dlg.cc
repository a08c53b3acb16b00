#include "core/pause_dlg.h"

#include "framework/ui_backend.h"
#include "resource.h"

CPauseDlg::CPauseDlg() : CDialog(IDD_PAUSE) {}

bool CPauseDlg::OnInit() {
  window().SetTitle(u"暂停过滤");
  if (ImagePtr picture = Ui().LoadImage(u"Images\\Time_Machine.png")) {
    window().SetControlImage(IDC_DIALOG_PICTURE, std::move(picture));
  }
  window().SetControlFont(IDC_DIALOG_HEADING, FontStyle{u"微软雅黑", 19, 700});
  DialogLook look;
  look.background = Rgb(255, 255, 255);
  window().SetLook(look);
  for (const DelayStruct& choice : kChoices) window().ComboAdd(IDC_PAUSE_CHOICE, choice.label, choice.minutes);
  window().ComboSelect(IDC_PAUSE_CHOICE, 0);
  minutes = kChoices[0].minutes;
  return true;
}

void CPauseDlg::OnControlEvent(int id, ControlEvent event, std::u16string_view detail) {
  if (id != IDC_PAUSE_CHOICE || event != ControlEvent::kSelectionChanged) return;
  int selection = window().ComboSelection(IDC_PAUSE_CHOICE);
  if (selection >= 0) minutes = static_cast<int>(window().ComboData(IDC_PAUSE_CHOICE, selection));
}
