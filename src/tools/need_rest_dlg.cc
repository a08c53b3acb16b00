#include "tools/need_rest_dlg.h"

#include "base/text_format.h"
#include "config/settings.h"
#include "framework/ui_backend.h"
#include "tools_resource.h"

CNeedRestDlg::CNeedRestDlg() : CDialog(IDD_NEED_REST) {}

bool CNeedRestDlg::OnInit() {
  int shown_hours = hours != 0 ? hours : TheSetup().RestReminderTime.load();
  window().SetText(IDC_REST_MESSAGE, WithNumber(u"您已经连续工作了 %d 小时,请注意适当休息!\r\n站起来走走吧!", shown_hours));
  seconds_left_ = kRestSeconds;
  window().SetTimer(kCountdownTimer, 1000);
  window().SetText(IDC_REST_COUNTDOWN, u"");

  // The whole screen, the task bar included.
  Rect screen = Ui().ScreenRect();
  window().SetWindowRect(screen);
  window().SetTopMost(true);
  int middle = screen.Height() / 2;
  window().MoveControl(IDC_REST_MESSAGE, Rect{0, middle - 140, screen.Width(), middle});
  window().MoveControl(IDC_REST_COUNTDOWN, Rect{0, middle + 20, screen.Width(), middle + 60});
  window().SetControlFont(IDC_REST_MESSAGE, FontStyle{u"微软雅黑", 40, 400});
  window().SetControlFont(IDC_REST_COUNTDOWN, FontStyle{u"微软雅黑", 20, 400});

  DialogLook look;
  look.background = Rgb(0, 0, 0);
  look.static_text_color = kTextColour;
  look.opacity = 250;
  window().SetLook(look);
  window().Show(WindowShow::kNormal);
  return true;
}

void CNeedRestDlg::OnTimer(int id) {
  if (id != kCountdownTimer) return;
  if (seconds_left_-- <= 1) {
    window().KillTimer(kCountdownTimer);
    End(kIdOk);
    return;
  }
  window().SetText(IDC_REST_COUNTDOWN, WithNumber(u"剩余时间: %d 秒 鼠标双击关闭", seconds_left_));
}
