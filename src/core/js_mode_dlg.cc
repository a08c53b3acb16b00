#include "core/js_mode_dlg.h"

#include "framework/ui_backend.h"
#include "resource.h"

namespace {

constexpr std::u16string_view kRestrictions =
    u"当您开启【强制戒色模式】后，系统将会有下列限制。\r\n\r\n"
    u"  1、禁止使用【暂停过滤】功能。\r\n"
    u"  2、强制开启【智能过滤模式】。\r\n"
    u"  3、在您设定的时间范围内不允许退出程序。";

// The text face and size: the preferred face where it is installed, the older one else.
FontStyle TextFont() {
  if (Ui().IsFontInstalled(u"微软雅黑")) return FontStyle{u"微软雅黑", 20, 400};
  return FontStyle{u"黑体", 18, 400};
}

}  // namespace

CJSModeDlg::CJSModeDlg() : CDialog(IDD_JSMODE) {}

bool CJSModeDlg::OnInit() {
  PlaceControls();
  if (ImagePtr picture = Ui().LoadImage(u"Images\\kezo_large.png")) {
    window().SetControlImage(IDC_DIALOG_PICTURE, std::move(picture));
  }
  FontStyle text_font = TextFont();
  FontStyle heading_font{text_font.face, 36, 700};
  window().SetControlFont(IDC_DIALOG_HEADING, heading_font);
  window().SetControlTextColor(IDC_DIALOG_HEADING, Rgb(128, 0, 128));
  for (int id : {IDC_DIALOG_TEXT, IDC_JSMODE_SWITCH, IDC_JSMODE_HOURS, IDC_JSMODE_HOURS_LABEL, kIdOk}) {
    window().SetControlFont(id, text_font);
  }
  window().SetText(IDC_DIALOG_TEXT, kRestrictions);
  close_button_.Setup(window(), IDC_DIALOG_CLOSE, u"Images\\close2.bmp", u"关闭", Point{kWidth - CMyButton::kSide - 6, 6});

  window().SetCheck(IDC_JSMODE_SWITCH, CheckState::kChecked);
  window().Enable(IDC_JSMODE_SWITCH, !countdown_running);
  window().SetText(IDC_JSMODE_HOURS, u"1");

  DialogLook look;
  look.background = Rgb(255, 255, 255);
  look.transparent_static_text = true;
  look.drag_by_client_area = true;
  window().SetLook(look);
  window().AnimateShow(ShowAnimation::kFade, 100);
  return true;
}

void CJSModeDlg::PlaceControls() {
  window().SetWindowSize(Size{kWidth, kHeight});
  window().MoveControl(IDC_DIALOG_PICTURE, Rect::At(20, 16, 64, 64));
  window().MoveControl(IDC_DIALOG_HEADING, Rect::At(100, 24, 360, 48));
  window().MoveControl(IDC_DIALOG_TEXT, Rect::At(24, 96, 472, 150));
  window().MoveControl(IDC_JSMODE_SWITCH, Rect::At(24, 256, 472, 28));
  window().MoveControl(IDC_JSMODE_HOURS, Rect::At(24, 298, 70, 30));
  window().MoveControl(IDC_JSMODE_HOURS_LABEL, Rect::At(104, 301, 300, 28));
  window().MoveControl(kIdOk, Rect::At(kWidth / 2 - 60, 346, 120, 38));
}

bool CJSModeDlg::OnCommand(int id) {
  if (id == IDC_DIALOG_CLOSE) {
    End(kIdCancel);
    return true;
  }
  if (id == IDC_JSMODE_SWITCH) {
    bool on = window().Check(IDC_JSMODE_SWITCH) == CheckState::kChecked;
    window().Enable(IDC_JSMODE_HOURS, on);
    if (!on) window().SetText(IDC_JSMODE_HOURS, u"0");
    return true;
  }
  return false;
}

void CJSModeDlg::OnOk() {
  if (window().Check(IDC_JSMODE_SWITCH) != CheckState::kChecked) window().SetText(IDC_JSMODE_HOURS, u"0");
  std::optional<int> entered = ReadIntInRange(IDC_JSMODE_HOURS, 0, kMaxHours);
  if (!entered) return;
  hours = *entered;
  End(kIdOk);
}
