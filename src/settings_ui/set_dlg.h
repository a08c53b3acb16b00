#pragma once

#include <array>
#include <functional>
#include <memory>

#include "framework/dialog.h"
#include "framework/tab_pages.h"
#include "settings_ui/settings_page.h"

class CKEZODlg;

// The settings centre ("设置中心"): one top-level window with a tab control and six pages.
// The main window keeps one for the life of the process; closing it only hides it, and the
// pages keep their state for the next opening, which starts on the basic page.
//
// Closing runs, in order: note a change of the keywords page; choose the basic page; save
// the basic and the filter page; rebuild the keyword matcher when the keywords or the
// filter page changed what it is built from; reload smart monitoring in the proxy; hide.
// Hiding the window with the main window runs the same steps, so nothing is lost.
//
// User-interface thread only. `main` must outlive the window.
class CSetDlg : public CDialog {
 public:
  static constexpr Size kSize{608, 512};
  static constexpr int kTabMargin = 8;
  static constexpr Color kPageBackground = Rgb(255, 255, 255);
  enum Tab { kBasicTab, kFilterTab, kKeywordsTab, kSiteListsTab, kSafeTab, kIntelligentTab, kTabCount };

  // Makes the page of one tab.
  using PageFactory = std::function<std::unique_ptr<CSettingsPage>(CKEZODlg& main)>;
  using PageFactories = std::array<PageFactory, kTabCount>;
  // The program's pages, in tab order.
  static PageFactories ProgramPages();

  explicit CSetDlg(CKEZODlg& main, const PageFactories& pages = ProgramPages());
  ~CSetDlg() override;

  // Creates the window on first use, shows it and brings it to the front; false when the
  // window cannot be created.
  bool Open();
  // The close steps above, then hides the window; nothing when it is not shown.
  void Close();
  // Saves the pages that keep settings (the basic and the filter page); for the end of the
  // program, when the window goes without closing.
  void SavePages();

  CSettingsPage& Page(Tab tab) { return *pages_[tab]; }
  int SelectedTab() const { return tabs_.Selection(); }

 protected:
  bool OnInit() override;
  void OnOk() override {}
  void OnCancel() override { Close(); }
  bool OnSysCommand(SysCommand command) override;
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override;

 private:
  CKEZODlg& main_;
  std::array<std::unique_ptr<CSettingsPage>, kTabCount> pages_;
  CTabPages tabs_;
  bool keywords_changed_ = false;  // a close found the keywords page changed; cleared once rebuilt
};
