#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/control_behaviour.h"
#include "framework/dialog_window.h"
#include "framework/image.h"

// The column of a three-frame image strip that an image button shows: frame 2 (pressed)
// while the left button is held down on it, frame 1 (hover) while the window draws it
// selected, frame 0 otherwise. Each frame is `item_width` pixels wide.
int ButtonFrameColumn(int item_width, bool pressed, bool selected);

// An owner-drawn image button: a strip of three frames side by side, each as large as the
// button (normal, hover, pressed), with a tool tip. Clicks reach the owner as ordinary
// button commands. User-interface thread only; a member of its owner dialog.
class CMyButton : public ControlBehaviour {
 public:
  static constexpr uint32_t kHoverMs = 10;
  static constexpr int kSide = 26;  // the title-bar buttons: 26 x 26, strips of 78 x 26

  // Attaches to control `id` of the owner's open window (which makes it owner-drawn),
  // sets the tool tip and loads the strip from `image_path` (relative to the program
  // folder). Only when the picture loads is the button moved to a 26 x 26 square at `at`;
  // otherwise it keeps its template place and draws nothing, but still clicks. Returns
  // whether the picture loaded.
  bool Setup(DialogWindow& window, int id, std::u16string_view image_path, std::u16string_view tool_tip, Point at);

  bool IsPressed() const { return pressed_; }
  bool IsTracking() const { return tracking_; }
  const ImagePtr& Image() const { return image_; }

  void Attached(ControlSurface& surface) override;
  void OnMouseMove() override;
  void OnMouseHover() override;
  void OnMouseLeave() override;
  void OnLeftButtonDown() override;
  void OnLeftButtonUp() override;
  void OnDraw(DrawTarget& target, Size size, bool selected) override;

 private:
  ControlSurface* surface_ = nullptr;
  std::u16string image_path_;
  std::u16string tool_tip_;
  ImagePtr image_;
  bool tracking_ = false;  // a hover-and-leave request is outstanding
  bool pressed_ = false;   // the left button went down here and has not come up or left
};
