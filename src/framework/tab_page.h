#pragma once

#include "framework/dialog.h"

// A dialog shown as one page of a tab control (see CTabPages): a child window of the tab
// control that is shown while its tab is chosen and hidden otherwise. The derived class
// hears of both through OnPageShown and OnPageHidden, which run on a change only, never at
// creation (OnInit runs then).
//
// User-interface thread only.
class CTabPage : public CDialog {
 public:
  using CDialog::CDialog;

  // Shows or hides the page's window; nothing when the page is not open or already so.
  void ShowPage();
  void HidePage();
  // Whether the page is the one shown in its tab control (also while the window that holds
  // the tab control is hidden).
  bool IsPageShown() const { return IsOpen() && shown_; }

 protected:
  // Pages sit inside a window that has its own OK and Cancel: Enter and Escape do not
  // close a page.
  void OnOk() override {}
  void OnCancel() override {}
  virtual void OnPageShown() {}
  virtual void OnPageHidden() {}

 private:
  bool shown_ = false;
};
