#include "settings_ui/my_dialog.h"

CMyDialog::CMyDialog(int template_id) : CDialog(template_id) {
  look_.bottom_band_height = kBandHeight;
  look_.bottom_band_fill = Rgb(240, 240, 240);
  look_.bottom_band_line = Rgb(223, 223, 223);
}

bool CMyDialog::OnInit() {
  ApplyLook();
  return true;
}

void CMyDialog::SetBackgroundColor(Color color) {
  look_.background = color;
  if (IsOpen()) ApplyLook();
}

void CMyDialog::ApplyLook() { window().SetLook(look_); }
