#pragma once

#include "framework/dialog.h"
#include "settings_ui/explorer1.h"
#include "settings_ui/my_button.h"

// The health calendar "寿康日历": a green window in the bottom-right corner of the work area
// that shows the day's page of the maker's host, stays above other windows and never takes
// the focus. It slides in when opened and out when closed; the first opening closes itself
// after 30 seconds. Its menu switches the opening at start ("不再提醒") off and on.
//
// One window per process, kept for its life: Open creates it on first use and shows it.
// User-interface thread only.
class CCalendarDlg : public CDialog {
 public:
  static constexpr Size kSize{313, 360};
  static constexpr int kBarHeight = 26;  // the top band with the caption and the two buttons
  static constexpr int kHideTimer = 1;   // 30 s after creation, once
  static constexpr Color kBackground = Rgb(37, 171, 57);

  CCalendarDlg();

  // Creates the window (desktop as parent) on first use and slides it in; false when it
  // cannot be created.
  bool Open();

 protected:
  bool OnInit() override;
  bool OnCommand(int id) override;
  void OnTimer(int id) override;
  void OnCancel() override { Hide(); }

 private:
  void Hide();
  void ShowMenu();

  CMyButton close_button_;
  CMyButton menu_button_;
  CExplorer1 pane_;
};

// Switches the calendar's opening at start: writes the opposite of SKCalendarEnabled and
// saves the settings once they are loaded.
void ToggleCalendarAtStart();
