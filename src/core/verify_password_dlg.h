#pragma once

#include "framework/dialog.h"

// Asks for the password; ends with kIdOk only when the right one was entered. A wrong one
// is said so, cleared, and asked for again; there is no limit on attempts.
class CVerifyPasswordDlg : public CDialog {
 public:
  CVerifyPasswordDlg();

 protected:
  bool OnInit() override;
  void OnOk() override;
};
