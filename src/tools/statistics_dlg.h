#pragma once

#include "framework/dialog.h"
#include "settings_ui/explorer1.h"

// The start-up statistics ping: a window that is never shown loads the statistics page of
// the maker's host and closes itself six seconds later. Created modeless by the main window
// at start; its owner keeps the object, and destroying the closed window again does
// nothing. User-interface thread only.
class CStatisticsDlg : public CDialog {
 public:
  static constexpr int kCloseTimer = 1;  // 6000 ms, once

  CStatisticsDlg();

 protected:
  bool OnInit() override;
  void OnTimer(int id) override;

 private:
  CExplorer1 pane_;
};
