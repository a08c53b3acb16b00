#include "tools/calendar_dlg.h"

#include "config/profile_values.h"
#include "config/settings.h"
#include "core/web_addresses.h"
#include "framework/ui_backend.h"
#include "resource.h"
#include "tools_resource.h"

void ToggleCalendarAtStart() {
  WriteProfile(profile::kSKCalendarEnabled, ReadProfile(profile::kSKCalendarEnabled) != 0 ? 0 : 1);
  if (TheSetup().loaded) TheSetup().SaveSetup();
}

CCalendarDlg::CCalendarDlg() : CDialog(IDD_CALENDAR) {}

bool CCalendarDlg::Open() {
  if (!IsOpen() && !Create(nullptr)) return false;
  window().AnimateShow(ShowAnimation::kSlideFromBottom, 300);
  return true;
}

bool CCalendarDlg::OnInit() {
  DialogLook look;
  look.background = kBackground;
  look.static_text_color = Rgb(255, 255, 255);
  look.transparent_static_text = true;
  window().SetLook(look);
  window().SetTitle(u"寿康日历");
  window().SetTopMost(true);

  // The bottom-right corner of the work area: above a task bar, never under it.
  Rect area = Ui().WorkArea();
  window().SetWindowRect(Rect{area.right - kSize.width, area.bottom - kSize.height, area.right, area.bottom});

  Size client = window().ClientSize();
  close_button_.Setup(window(), IDC_CALENDAR_CLOSE, u"Images\\CloseButton.bmp", u"关闭",
                      Point{client.width - CMyButton::kSide, 0});
  menu_button_.Setup(window(), IDC_CALENDAR_MENU, u"Images\\dropdown.bmp", u"菜单",
                     Point{client.width - 2 * CMyButton::kSide, 0});
  // The pane fills the client area below the band.
  window().MoveControl(IDC_EXPLORER, Rect{0, kBarHeight, client.width, client.height});
  if (pane_.Attach(window(), IDC_EXPLORER, CExplorer1::Wiring{})) {
    pane_.Navigate(u"about:blank");
    pane_.Navigate(web_addresses::kCalendarPage);
  }
  window().SetTimer(kHideTimer, 30000);
  return true;
}

bool CCalendarDlg::OnCommand(int id) {
  switch (id) {
    case IDC_CALENDAR_CLOSE: Hide(); return true;
    case IDC_CALENDAR_MENU: ShowMenu(); return true;
    default: return false;
  }
}

void CCalendarDlg::OnTimer(int id) {
  if (id != kHideTimer) return;
  window().KillTimer(kHideTimer);
  Hide();
}

void CCalendarDlg::Hide() { window().AnimateHide(HideAnimation::kSlideDown, 200); }

void CCalendarDlg::ShowMenu() {
  std::optional<MenuModel> menu = Ui().LoadPopupMenu(IDR_CALENDAR_MENU);
  if (!menu) return;
  menu->SetChecked(ID_CALENDAR_NO_REMINDER, ReadProfile(profile::kSKCalendarEnabled) == 0);
  if (window().TrackPopupMenu(*menu) == ID_CALENDAR_NO_REMINDER) ToggleCalendarAtStart();
}
