#include "tools/rest_reminder_dlg.h"

#include <algorithm>

#include "config/profile_values.h"
#include "config/settings.h"
#include "framework/ui_backend.h"
#include "tools/need_rest_dlg.h"
#include "tools_resource.h"

namespace {

// The item index is the number of hours.
constexpr std::u16string_view kIntervals[] = {u"关闭", u"1 小时", u"2小时", u"3小时"};

}  // namespace

CRestReminderDlg::CRestReminderDlg() : CMyDialog(IDD_REST_REMINDER) {}

bool CRestReminderDlg::OnInit() {
  CMyDialog::OnInit();
  if (ImagePtr picture = Ui().LoadImage(u"Images\\Time_Machine.png")) {
    window().SetControlImage(IDC_REST_PICTURE, std::move(picture));
  }
  SetBackgroundColor(Rgb(255, 255, 255));
  for (int hours = 0; hours < static_cast<int>(std::size(kIntervals)); ++hours) {
    window().ComboAdd(IDC_REST_INTERVAL, kIntervals[hours], hours);
  }
  window().ComboSelect(IDC_REST_INTERVAL, std::clamp(TheSetup().RestReminderTime.load(), 0, 3));
  ShowPreviewButton();
  return true;
}

void CRestReminderDlg::ShowPreviewButton() {
  window().ShowControl(IDC_REST_PREVIEW, window().ComboSelection(IDC_REST_INTERVAL) > 0);
}

void CRestReminderDlg::OnControlEvent(int id, ControlEvent event, std::u16string_view) {
  if (id == IDC_REST_INTERVAL && event == ControlEvent::kSelectionChanged) ShowPreviewButton();
}

bool CRestReminderDlg::OnCommand(int id) {
  if (id != IDC_REST_PREVIEW) return false;
  CNeedRestDlg notice;
  notice.hours = window().ComboSelection(IDC_REST_INTERVAL);
  notice.DoModal(nullptr);
  return true;
}

void CRestReminderDlg::OnOk() {
  int hours = std::max(window().ComboSelection(IDC_REST_INTERVAL), 0);
  WriteProfile(profile::kRestReminderTime, hours);
  TheSetup().RestReminderTime = hours;
  End(kIdOk);
}
