#pragma once

#include "settings_ui/settings_page.h"

class CMyList;

// The settings page "过滤设置" (template 157): picture suppression, blocking every site
// but the never-filtered ones, strong filtering, ad filtering, address-bar filtering, safe
// search, cache cleaning, the in-page toolbar and manual picture blocking. It edits settings and
// their caches only; the proxy and the page script read them. A page of the settings
// centre (a child window), also usable alone.
//
// User-interface thread only. `image_list` is the manual picture list that the proxy
// judges by (Data\URLList.txt, shared); it must outlive the page.
class CFilterDlg : public CSettingsPage {
 public:
  explicit CFilterDlg(CMyList& image_list);

  // Writes every switch to the settings and caches, then www\param.js. The settings
  // centre calls it when it closes; hiding the page calls it too.
  void Save() override;
  // Set by any click on "强力过滤" and never cleared: the settings centre rebuilds the
  // keyword filter at close while it is set.
  bool KeywordsChanged() const override { return powerful_filtering_changed_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id) override;
  // Showing the page again: the in-page toolbar's commands may have changed the toolbar
  // and picture switches meanwhile. Hiding it (another tab) saves it.
  void OnPageShown() override;
  void OnPageHidden() override { Save(); }

 private:
  void ShowNonePicture();
  void EnableSchemeBoxes();
  void HoldSafeSearchInForcedMode();
  void CleanCacheNow();
  bool Checked(int id);

  CMyList& image_list_;
  bool powerful_filtering_changed_ = false;
};
