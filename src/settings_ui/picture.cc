#include "settings_ui/picture.h"

#include "framework/ui_backend.h"

bool CPicture::Setup(DialogWindow& window, int id, std::u16string_view normal_path, std::u16string_view hover_path) {
  normal_path_ = normal_path;
  hover_path_ = hover_path;
  if (window.AttachBehaviour(id, *this) == nullptr) return false;
  ShowImage(normal_path_);
  return true;
}

void CPicture::Attached(ControlSurface& surface) {
  surface_ = &surface;
  surface_->ReportClicks();
}

void CPicture::OnMouseMove() {
  if (!tracking_ && surface_->TrackHoverAndLeave(kHoverMs)) tracking_ = true;
}

void CPicture::OnMouseHover() { ShowImage(hover_path_); }

void CPicture::OnMouseLeave() {
  ShowImage(normal_path_);
  tracking_ = false;
}

void CPicture::ShowImage(const std::u16string& path) {
  surface_->SetImage(nullptr);  // the previous picture is released before the next loads
  surface_->SetImage(Ui().LoadImage(path));
}
