#pragma once

#include "framework/dialog.h"

class CMyList;

// The settings page "过滤设置" (template 157): picture suppression, blocking every site
// but the never-filtered ones, strong filtering, ad filtering, address-bar filtering,
// cache cleaning, the in-page toolbar and manual picture blocking. It edits settings and
// their caches only; the proxy and the page script read them. A page of the settings
// centre (a child window), also usable alone.
//
// User-interface thread only. `image_list` is the manual picture list that the proxy
// judges by (Data\URLList.txt, shared); it must outlive the page.
class CFilterDlg : public CDialog {
 public:
  explicit CFilterDlg(CMyList& image_list);

  // Writes every switch to the settings and caches, then www\param.js. The settings
  // centre calls it when it closes; hiding the page calls it too.
  void Save();
  // Set by any click on "强力过滤" and never cleared: the settings centre rebuilds the
  // keyword filter at close while it is set.
  bool PowerfulFilteringChanged() const { return powerful_filtering_changed_; }

  // Showing the page again: the in-page toolbar's commands may have changed the toolbar
  // and picture switches meanwhile.
  void OnShowPage();
  void OnHidePage() { Save(); }

 protected:
  bool OnInit() override;
  bool OnCommand(int id) override;
  // Enter and Escape do not close a page.
  void OnOk() override {}
  void OnCancel() override {}

 private:
  void ShowNonePicture();
  void EnableSchemeBoxes();
  void CleanCacheNow();
  bool Checked(int id);

  CMyList& image_list_;
  bool powerful_filtering_changed_ = false;
};
