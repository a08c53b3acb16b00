#include "core/set_password_dlg.h"

#include "config/lock_record.h"
#include "core/password_boxes.h"
#include "resource.h"

CSetPasswordDlg::CSetPasswordDlg() : CDialog(IDD_SET_PASSWORD) {}

bool CSetPasswordDlg::OnInit() {
  window().SetTitle(u"设置密码");
  window().SetControlFont(IDC_DIALOG_HEADING, FontStyle{u"微软雅黑", 19, 700});
  SetUpPasswordBox(window(), IDC_PASSWORD);
  SetUpPasswordBox(window(), IDC_PASSWORD_CONFIRM);
  DialogLook look;
  look.background = Rgb(255, 255, 255);
  window().SetLook(look);
  window().Focus(IDC_PASSWORD);
  return false;
}

bool CSetPasswordDlg::OnCommand(int id) {
  if (id != IDC_SHOW_PASSWORD) return false;
  bool plain = window().Check(IDC_SHOW_PASSWORD) == CheckState::kChecked;
  SetUpPasswordBox(window(), IDC_PASSWORD, plain);
  SetUpPasswordBox(window(), IDC_PASSWORD_CONFIRM, plain);
  window().Focus(IDC_PASSWORD);
  return true;
}

void CSetPasswordDlg::OnOk() {
  std::u16string password = window().Text(IDC_PASSWORD);
  std::u16string confirmation = window().Text(IDC_PASSWORD_CONFIRM);
  if (password.empty()) return window().Focus(IDC_PASSWORD);
  if (confirmation.empty()) return window().Focus(IDC_PASSWORD_CONFIRM);
  if (password != confirmation) {
    MessageBox(u"确认密码不一致，请重新输入！");
    return window().Focus(IDC_PASSWORD_CONFIRM);
  }
  if (MessageBox(u"请牢记安全密码，一旦遗忘将无法恢复。确认设置密码吗？", u"确认", MessageButtons::kOkCancel,
                 MessageIcon::kInformation) != kIdOk) {
    return;
  }
  if (!SetPassword(password)) {
    MessageBox(u"密码设置不成功，请输入一个 6-12位字符的密码！");
    return;
  }
  End(kIdOk);
}
