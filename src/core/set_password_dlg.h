#pragma once

#include "framework/dialog.h"

// Sets the program's password: typed twice, confirmed once more, then stored scrambled.
// Ends with kIdOk once a password was stored.
class CSetPasswordDlg : public CDialog {
 public:
  CSetPasswordDlg();

 protected:
  bool OnInit() override;
  bool OnCommand(int id) override;
  void OnOk() override;
};
