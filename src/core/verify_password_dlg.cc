#include "core/verify_password_dlg.h"

#include "config/lock_record.h"
#include "core/password_boxes.h"
#include "framework/ui_backend.h"
#include "resource.h"

CVerifyPasswordDlg::CVerifyPasswordDlg() : CDialog(IDD_VERIFY_PASSWORD) {}

bool CVerifyPasswordDlg::OnInit() {
  window().SetTitle(Ui().LoadString(IDS_VERIFY_PASSWORD));
  if (ImagePtr picture = Ui().LoadImage(u"Images\\kezo_large.png")) {
    window().SetControlImage(IDC_DIALOG_PICTURE, std::move(picture));
  }
  window().SetControlFont(IDC_DIALOG_HEADING, FontStyle{u"微软雅黑", 20, 700});
  window().SetControlTextColor(IDC_DIALOG_HEADING, Rgb(255, 255, 255));
  SetUpPasswordBox(window(), IDC_PASSWORD);
  DialogLook look;
  look.background = Rgb(46, 125, 80);
  look.static_text_color = Rgb(255, 255, 255);
  look.opacity = 240;
  window().SetLook(look);
  window().BringToFront();
  window().Focus(IDC_PASSWORD);
  return false;
}

void CVerifyPasswordDlg::OnOk() {
  std::u16string entered = window().Text(IDC_PASSWORD);
  if (entered.empty()) return window().Focus(IDC_PASSWORD);
  if (CheckPassword(entered)) return End(kIdOk);
  MessageBox(u"您输入的密码不正确，请重新输入！", {}, MessageButtons::kOk, MessageIcon::kWarning);
  window().SetText(IDC_PASSWORD, u"");
  window().Focus(IDC_PASSWORD);
}
