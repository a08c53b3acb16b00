#include "settings_ui/my_button.h"

#include "framework/ui_backend.h"

int ButtonFrameColumn(int item_width, bool pressed, bool selected) {
  if (pressed) return 2 * item_width;
  if (selected) return item_width;
  return 0;
}

bool CMyButton::Setup(DialogWindow& window, int id, std::u16string_view image_path, std::u16string_view tool_tip,
                      Point at) {
  image_path_ = image_path;
  tool_tip_ = tool_tip;
  if (window.AttachBehaviour(id, *this) == nullptr) return false;
  surface_->SetToolTip(tool_tip_);
  image_ = Ui().LoadImage(image_path_);
  if (image_ == nullptr) return false;
  surface_->MoveTo(Rect::At(at.x, at.y, kSide, kSide));
  return true;
}

void CMyButton::Attached(ControlSurface& surface) {
  surface_ = &surface;
  surface_->MakeOwnerDrawn();
}

void CMyButton::OnMouseMove() {
  if (!tracking_ && surface_->TrackHoverAndLeave(kHoverMs)) tracking_ = true;
}

void CMyButton::OnMouseHover() { surface_->SetHighlight(true); }

void CMyButton::OnMouseLeave() {
  tracking_ = false;
  pressed_ = false;
  surface_->SetHighlight(false);
}

void CMyButton::OnLeftButtonDown() {
  pressed_ = true;
  surface_->Invalidate();
}

void CMyButton::OnLeftButtonUp() {
  pressed_ = false;
  surface_->Invalidate();
}

void CMyButton::OnDraw(DrawTarget& target, Size size, bool selected) {
  if (image_ == nullptr) return;
  target.CopyImageBlock(*image_, ButtonFrameColumn(size.width, pressed_, selected), 0);
}
