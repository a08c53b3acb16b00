#pragma once

#include "framework/dialog.h"
#include "rules/text_list.h"

// The learned sites of smart monitoring ("智能过滤网址"): the sites it blocks
// (Data\IntelligentDomain.txt) and the sites released from it
// (Data\IntelligentWhiteDomain.txt), each in a list box. A double-click on a blocked site
// releases it; a double-click on a released site deletes it. Each change saves its file at
// once; the dialog holds lists of its own, and whoever opened it asks the proxy to load
// them again once it has closed.
//
// User-interface thread only.
class CIntellWebDlg : public CDialog {
 public:
  CIntellWebDlg();

 protected:
  bool OnInit() override;
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override;

 private:
  void Release(int index);
  void Forget(int index);

  CMyList learned_;
  CMyList released_;
};
