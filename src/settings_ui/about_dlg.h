#pragma once

#include <string>

#include "framework/dialog.h"
#include "settings_ui/explorer1.h"

// The about box (template 156, "关于"): the page Data/about.html of the program folder in
// a browser pane, 804 x 460 pixels. A click on the page's element "ButtonOK" acts as OK,
// on "ButtonCancel" as Cancel; the window's own "确定" closes it as well, so it closes
// also where no browser engine draws the page. User-interface thread only.
class CAboutDlg : public CDialog {
 public:
  static constexpr int kWidth = 804;
  static constexpr int kHeight = 460;

  CAboutDlg();

  // The address of the page: the program folder followed by "/Data/about.html". The
  // folder ships as "Data", and that spelling is used so that the address also holds
  // where file names are case-sensitive.
  static std::u16string PageAddress();

 protected:
  bool OnInit() override;

 private:
  void PlaceControls();

  CExplorer1 browser_;
};
