#include "core/exit_jiese_mode_dlg.h"

#include "base/text_format.h"
#include "base/text_lines.h"
#include "framework/ui_backend.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/system_shutdown.h"
#include "resource.h"

namespace {

// Where `line` may be cut at `max_bytes` or less without splitting a character of the
// two-byte local code page (a lead byte is 0x81 to 0xFE).
size_t CutPoint(std::string_view line, size_t max_bytes) {
  size_t at = 0;
  while (at < line.size()) {
    size_t width = static_cast<unsigned char>(line[at]) >= 0x81 && static_cast<unsigned char>(line[at]) <= 0xFE ? 2 : 1;
    if (at + width > max_bytes) break;
    at += width;
  }
  return std::min(at, line.size());
}

}  // namespace

std::vector<std::u16string> ReadAdmonitions(std::string_view path, size_t max_bytes) {
  std::vector<std::u16string> lines;
  std::optional<std::string> text = FileSystem::Current().ReadAll(path);
  if (!text) return lines;
  for (std::string_view line : TextLines(*text)) {
    line = line.substr(0, CutPoint(line, max_bytes));
    if (!line.empty()) lines.push_back(LocalToWide(line));
  }
  return lines;
}

CExitJieSeModeDlg::CExitJieSeModeDlg() : CDialog(IDD_EXIT_JIESE_MODE) {}

bool CExitJieSeModeDlg::OnInit() {
  PlaceControls();
  if (ImagePtr picture = Ui().LoadImage(u"Images\\hfs.jpg")) {
    window().SetControlImage(IDC_DIALOG_PICTURE, std::move(picture));
  }
  window().SetControlFont(IDC_DIALOG_TEXT, FontStyle{u"微软雅黑", 30, 400});
  window().SetControlTextColor(IDC_DIALOG_TEXT, Rgb(255, 140, 0));
  DialogLook look;
  look.background = Rgb(0x09, 0x08, 0x0D);
  look.frame_color = Rgb(139, 0, 0);
  look.transparent_static_text = true;
  look.drag_by_client_area = true;
  window().SetLook(look);

  sentences_ = ReadAdmonitions("Data\\ExitJSModeTip.txt");
  random_.seed(static_cast<std::minstd_rand::result_type>(Clock::Current().TickMs()));
  ShowRandomSentence();
  window().SetTimer(kSentenceTimer, 3000);

  seconds_waited_ = 0;
  window().Enable(kIdOk, false);
  window().SetText(kIdOk, WithNumber(u"确定(%d)", kWaitSeconds));
  window().SetTimer(kCountdownTimer, 1000);
  window().Focus(kIdCancel);
  return false;
}

void CExitJieSeModeDlg::PlaceControls() {
  window().SetWindowSize(Size{kWidth, kHeight});
  window().MoveControl(IDC_DIALOG_PICTURE, Rect::At(0, 0, kWidth, 300));
  window().MoveControl(IDC_DIALOG_TEXT, Rect::At(40, 330, kWidth - 80, 150));
  window().MoveControl(IDC_FORCE_SHUTDOWN, Rect::At(40, 520, 120, 40));
  window().MoveControl(kIdOk, Rect::At(kWidth - 300, 520, 120, 40));
  window().MoveControl(kIdCancel, Rect::At(kWidth - 160, 520, 120, 40));
}

void CExitJieSeModeDlg::ShowRandomSentence() {
  if (sentences_.empty()) return;
  std::uniform_int_distribution<size_t> pick(0, sentences_.size() - 1);
  window().SetText(IDC_DIALOG_TEXT, sentences_[pick(random_)]);
}

void CExitJieSeModeDlg::OnTimer(int id) {
  if (id == kSentenceTimer) return ShowRandomSentence();
  if (id != kCountdownTimer) return;
  ++seconds_waited_;
  if (seconds_waited_ < kWaitSeconds) {
    window().SetText(kIdOk, WithNumber(u"确定(%d)", kWaitSeconds - seconds_waited_));
    return;
  }
  window().KillTimer(kCountdownTimer);
  window().SetText(kIdOk, u"确定");
  window().Enable(kIdOk, true);
}

void CExitJieSeModeDlg::OnOk() {
  // Enter reaches OnOk even while the button is disabled.
  if (seconds_waited_ >= kWaitSeconds) End(kIdOk);
}

bool CExitJieSeModeDlg::OnCommand(int id) {
  if (id != IDC_FORCE_SHUTDOWN) return false;
  SystemShutdown::Current().ForceShutdown();
  return true;
}
