#pragma once

#include "framework/tab_page.h"

// A page of the settings centre (CSetDlg). The settings centre gives every page a white
// background when it creates it, shows and hides the pages as tabs are chosen, and, when
// it closes, saves the pages that keep settings and rebuilds the keyword matcher when a
// page asks for it.
//
// User-interface thread only.
class CSettingsPage : public CTabPage {
 public:
  using CTabPage::CTabPage;

  // Writes what the page shows to the settings. The settings centre calls it for the basic
  // and the filter page when it closes, when it is hidden with the main window, and at the
  // program's end.
  virtual void Save() {}
  // Whether the page changed something the keyword matcher is built from; once true it
  // stays true for the life of the page, and every close rebuilds the matcher.
  virtual bool KeywordsChanged() const { return false; }
};

// The empty page that stands in for a page not built yet.
class CPlaceholderPage : public CSettingsPage {
 public:
  CPlaceholderPage();
};
