#include "core/safe_dlg.h"

#include "config/lock_record.h"
#include "config/profile_values.h"
#include "core/set_password_dlg.h"
#include "core/verify_password_dlg.h"
#include "resource.h"

CSafeDlg::CSafeDlg() : CSettingsPage(IDD_SAFE) {}

bool CSafeDlg::OnInit() {
  int stored = ReadProfile(profile::kLOCKDELAY);
  int selected = 0;
  const std::vector<LockDelayChoice>& choices = TheLockRecord().lockDelayChoices;
  for (size_t i = 0; i < choices.size(); ++i) {
    window().ComboAdd(IDC_LOCK_DELAY, choices[i].label, choices[i].minutes);
    if (choices[i].minutes == stored) selected = static_cast<int>(i);
  }
  window().ComboSelect(IDC_LOCK_DELAY, selected);
  ShowPasswordState();
  return true;
}

void CSafeDlg::ShowPasswordState() {
  bool has_password = !TheLockRecord().PASSWORD.empty();
  window().SetText(IDC_PASSWORD_STATUS, has_password ? u"您已设置安全密码" : u"您没有设置安全密码");
  window().Enable(IDC_CLEAR_PASSWORD, has_password);
  window().Enable(IDC_CHANGE_PASSWORD, has_password);
  window().Enable(IDC_SET_PASSWORD, !has_password);
}

bool CSafeDlg::PromptConfirmed() { return CVerifyPasswordDlg().DoModal(this) == kIdOk; }

bool CSafeDlg::OnCommand(int id) {
  switch (id) {
    case IDC_CLEAR_PASSWORD:
      if (PromptConfirmed()) ClearPassword();
      break;
    case IDC_SET_PASSWORD: CSetPasswordDlg().DoModal(this); break;
    case IDC_CHANGE_PASSWORD:
      if (PromptConfirmed()) {
        MessageBox(u"身份验证通过，请设置新密码！", {}, MessageButtons::kOk, MessageIcon::kInformation);
        CSetPasswordDlg().DoModal(this);
      }
      break;
    default: return false;
  }
  ShowPasswordState();
  return true;
}

void CSafeDlg::OnControlEvent(int id, ControlEvent event, std::u16string_view detail) {
  if (id != IDC_LOCK_DELAY || event != ControlEvent::kSelectionChanged) return;
  int selection = window().ComboSelection(IDC_LOCK_DELAY);
  if (selection >= 0) WriteProfile(profile::kLOCKDELAY, static_cast<int32_t>(window().ComboData(IDC_LOCK_DELAY, selection)));
}
