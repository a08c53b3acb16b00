#pragma once

#include "framework/dialog.h"

// A dialog shown as one page of a tab control (see CTabPages): a child window of the tab
// control that is shown while its tab is chosen and hidden otherwise. The derived class
// hears of both through OnPageShown and OnPageHidden, which run on a change only (and
// OnPageShown when the window holding the page is shown again), never at creation (OnInit
// runs then).
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
  // The window that holds the tab control was shown again: a shown page hears
  // OnPageShown, as it would when its tab is chosen anew (what it shows may have changed
  // meanwhile). Nothing for a hidden page.
  void HostShownAgain() {
    if (IsPageShown()) OnPageShown();
  }

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
