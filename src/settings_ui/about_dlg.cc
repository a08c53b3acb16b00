#include "settings_ui/about_dlg.h"

#include "platform/program_file.h"
#include "resource.h"

namespace {

constexpr int kFrameWidth = 8;
constexpr int kCaptionAndFrameHeight = 32;
constexpr int kButtonBand = 40;
constexpr int kButtonWidth = 84;

}  // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUT) {}

std::u16string CAboutDlg::PageAddress() {
  std::u16string program = ProgramFilePath();
  size_t separator = program.find_last_of(u"\\/");
  std::u16string folder = separator == std::u16string::npos ? std::u16string() : program.substr(0, separator);
  return folder + u"/Data/about.html";
}

bool CAboutDlg::OnInit() {
  window().SetWindowSize(Size{kWidth, kHeight});
  PlaceControls();
  browser_.Attach(window(), IDC_EXPLORER, CExplorer1::Wiring{true, true});
  browser_.SetElementClickHandler({u"ButtonOK", u"ButtonCancel"}, [this](std::u16string_view element_id) {
    End(element_id == u"ButtonOK" ? kIdOk : kIdCancel);
  });
  browser_.Navigate(PageAddress());
  return true;
}

void CAboutDlg::PlaceControls() {
  // The client area is about the window less its caption and frame; the pane fills it
  // above a band that holds the button at its right.
  int client_width = kWidth - kFrameWidth;
  int client_height = kHeight - kCaptionAndFrameHeight;
  window().MoveControl(IDC_EXPLORER, Rect::At(0, 0, client_width, client_height - kButtonBand));
  window().MoveControl(kIdOk, Rect::At(client_width - kButtonWidth - 12, client_height - kButtonBand + 7, kButtonWidth, 26));
}
