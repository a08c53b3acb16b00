#include "tools/timing_shutdown_dlg.h"

#include <optional>
#include <tuple>

#include "base/text_format.h"
#include "framework/ui_backend.h"
#include "platform/clock.h"
#include "platform/system_shutdown.h"
#include "tools_resource.h"

namespace {

constexpr int kControlIds[] = {IDC_SHUTDOWN_HOUR, IDC_SHUTDOWN_HOUR_SPIN, IDC_SHUTDOWN_MINUTE, IDC_SHUTDOWN_MINUTE_SPIN};

// A field that holds no number (emptied while the user types) counts as 0 and is left as
// it is.
std::optional<int> FieldValue(DialogWindow& window, int id) {
  std::optional<int64_t> value = ParseWholeNumber(window.Text(id));
  if (!value || *value < -1000 || *value > 1000) return std::nullopt;
  return static_cast<int>(*value);
}

}  // namespace

CTimingShutDownDlg::CTimingShutDownDlg() : CDialog(IDD_TIMING_SHUTDOWN) {}

bool CTimingShutDownDlg::Open() {
  if (!IsOpen() && !Create(nullptr)) return false;
  window().BringToFront();
  return true;
}

bool CTimingShutDownDlg::OnInit() {
  DialogLook look;
  look.background = Rgb(255, 255, 255);
  look.drag_by_client_area = true;
  window().SetLook(look);
  window().SetTopMost(true);
  // One step beyond each end, so the fields can wrap around (Normalise).
  window().SetRange(IDC_SHUTDOWN_HOUR_SPIN, -1, 24);
  window().SetRange(IDC_SHUTDOWN_MINUTE_SPIN, -1, 60);
  if (!counting_) {
    int64_t local = Clock::Current().LocalNowSeconds();
    int minute_of_day = static_cast<int>(((local % 86400) + 86400) % 86400 / 60);
    target_ = WrapClockTime(ClockTime{minute_of_day / 60 + 1, minute_of_day % 60});
    normalising_ = true;
    window().SetText(IDC_SHUTDOWN_HOUR, Decimal(target_.hour));
    window().SetText(IDC_SHUTDOWN_MINUTE, Decimal(target_.minute));
    normalising_ = false;
  }
  Normalise();
  return true;
}

void CTimingShutDownDlg::Normalise() {
  if (normalising_) return;
  normalising_ = true;
  std::optional<int> hour = FieldValue(window(), IDC_SHUTDOWN_HOUR);
  std::optional<int> minute = FieldValue(window(), IDC_SHUTDOWN_MINUTE);
  target_ = WrapClockTime(ClockTime{hour.value_or(0), minute.value_or(0)});
  const std::tuple<int, bool, int> fields[] = {{IDC_SHUTDOWN_HOUR, hour.has_value(), target_.hour},
                                               {IDC_SHUTDOWN_MINUTE, minute.has_value(), target_.minute}};
  for (auto [id, holds_number, value] : fields) {
    if (!holds_number) continue;
    // Only a changed text is written back: the user's typing keeps its caret.
    if (window().Text(id) != Decimal(value)) window().SetText(id, Decimal(value));
    int spin = id + 1;  // each field's spin control has the next number
    if (window().Position(spin) != value) window().SetPosition(spin, value);
  }
  normalising_ = false;
  Compute();
}

void CTimingShutDownDlg::Compute() {
  TimeUntil until = TimeUntilClockTime(target_, Clock::Current().LocalNowSeconds());
  remaining_ = until.seconds;
  std::u16string status = WithNumber(WithNumber(u"距离关机还有: %d 小时 %d 分", until.minutes / 60), until.minutes % 60);
  window().SetText(IDC_SHUTDOWN_STATUS, status);
}

void CTimingShutDownDlg::OnControlEvent(int id, ControlEvent event, std::u16string_view) {
  if (event != ControlEvent::kTextChanged || counting_) return;
  if (id == IDC_SHUTDOWN_HOUR || id == IDC_SHUTDOWN_MINUTE) Normalise();
}

void CTimingShutDownDlg::OnOk() {
  if (counting_) {
    window().Show(WindowShow::kHidden);
  } else {
    Start();
  }
}

// Escape and the close box hide the window; it lives for the process.
void CTimingShutDownDlg::OnCancel() { window().Show(WindowShow::kHidden); }

bool CTimingShutDownDlg::OnCommand(int id) {
  if (id != IDC_SHUTDOWN_CLOSE) return false;
  if (counting_) {
    Cancel();
  } else {
    window().Show(WindowShow::kHidden);
  }
  return true;
}

void CTimingShutDownDlg::Start() {
  Normalise();
  if (remaining_ <= 59) {
    MessageBox(u"设定的时间太短了!", u"提示", MessageButtons::kOk, MessageIcon::kInformation);
    return;
  }
  deadline_ = Clock::Current().NowSeconds() + remaining_;
  counting_ = true;
  window().SetText(kIdOk, u"隐藏");
  window().SetText(IDC_SHUTDOWN_CLOSE, u"取消");
  ShowCountingControls(true);
  window().SetText(IDC_SHUTDOWN_STATUS,
                   WithNumber(WithNumber(u"关机时间: %d 时 %d 分", target_.hour), target_.minute));
  PaintCountdown();
  window().SetTimer(kCountdownTimer, 1000);
}

void CTimingShutDownDlg::Cancel() {
  window().KillTimer(kCountdownTimer);
  counting_ = false;
  window().SetText(kIdOk, u"开始");
  window().SetText(IDC_SHUTDOWN_CLOSE, u"关闭");
  ShowCountingControls(false);
  window().SetPaintedText(std::nullopt);
  Normalise();
  window().Focus(IDC_SHUTDOWN_HOUR);
}

void CTimingShutDownDlg::ShowCountingControls(bool counting) {
  window().ShowControl(IDC_SHUTDOWN_LABEL, counting);
  for (int id : kControlIds) window().ShowControl(id, !counting);
  window().SetControlTextColor(IDC_SHUTDOWN_STATUS,
                               Ui().SystemColorOf(counting ? SystemColor::kGrayText : SystemColor::kWindowText));
}

void CTimingShutDownDlg::PaintCountdown() {
  Size client = window().ClientSize();
  window().SetPaintedText(PaintedText{CountdownText(remaining_), FontStyle{u"微软雅黑", 36, 400}, kCountdownColour,
                                      Rect{0, kPaintMargin, client.width, client.height - kPaintMargin}});
}

void CTimingShutDownDlg::OnTimer(int id) {
  if (id == kCountdownTimer && counting_) Tick();
}

void CTimingShutDownDlg::Tick() {
  // From the clock, not by counting firings: a sleeping machine fires no timers.
  remaining_ = deadline_ - Clock::Current().NowSeconds();
  PaintCountdown();
  if (remaining_ < 30 && !window().IsVisible()) window().Show(WindowShow::kNormal);
  if (remaining_ > 0) return;
  window().KillTimer(kCountdownTimer);
  SystemShutdown::Current().RequestShutdown();
}
