#pragma once

#include "framework/dialog.h"
#include "settings_ui/my_button.h"

// The forced abstinence mode's choice: a switch and a number of hours. Set
// `countdown_running` before opening; after kIdOk `hours` holds the choice (0 when the
// switch is off).
class CJSModeDlg : public CDialog {
 public:
  static constexpr int kMaxHours = 9999;
  static constexpr int kWidth = 520;
  static constexpr int kHeight = 400;

  CJSModeDlg();

  bool countdown_running = false;
  int hours = 0;

 protected:
  bool OnInit() override;
  bool OnCommand(int id) override;
  void OnOk() override;

 private:
  void PlaceControls();

  CMyButton close_button_;
};
