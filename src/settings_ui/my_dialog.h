#pragma once

#include "framework/dialog.h"
#include "framework/look.h"

// The base of the small confirmation dialogs: a grey band 50 pixels high along the bottom
// edge (fill RGB(240, 240, 240) under a one-pixel RGB(223, 223, 223) line) on which the
// OK and Cancel buttons stand, at every dialog size. Derived dialogs set their background
// colour and their controls; the band is painted for them.
class CMyDialog : public CDialog {
 public:
  static constexpr int kBandHeight = 50;

  explicit CMyDialog(int template_id);

  const DialogLook& Look() const { return look_; }

 protected:
  // Applies the look; derived dialogs call it first from their own OnInit.
  bool OnInit() override;
  void SetBackgroundColor(Color color);
  DialogLook& look() { return look_; }
  void ApplyLook();

 private:
  DialogLook look_;
};
