#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/control_behaviour.h"
#include "framework/dialog_window.h"

// A picture that shows a second image while the mouse rests on it and reports clicks to
// its dialog as commands. A missing image shows nothing. User-interface thread only.
class CPicture : public ControlBehaviour {
 public:
  static constexpr uint32_t kHoverMs = 10;

  // Attaches to control `id` and shows the normal image (paths relative to the program
  // folder). Returns false when the template has no such control.
  bool Setup(DialogWindow& window, int id, std::u16string_view normal_path, std::u16string_view hover_path);

  bool IsTracking() const { return tracking_; }

  void Attached(ControlSurface& surface) override;
  void OnMouseMove() override;
  void OnMouseHover() override;
  void OnMouseLeave() override;

 private:
  void ShowImage(const std::u16string& path);

  ControlSurface* surface_ = nullptr;
  std::u16string normal_path_;
  std::u16string hover_path_;
  bool tracking_ = false;
};
