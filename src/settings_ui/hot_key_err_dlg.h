#pragma once

#include <cstdint>
#include <string>

#include "framework/dialog.h"

// The name a hot-key field shows for `value` (low byte the virtual key, high byte the
// field's modifier bits: shift 1, control 2, alt 4, extended 8), as "Ctrl + Alt + G".
std::u16string HotKeyName(uint16_t value);

// The notice that the saved show/hide hot key is taken by another program ("热键"): a
// modeless tool window on the desktop, above other windows, that frees itself when closed
// (the caller hands it over to Open and keeps no pointer).
//
// User-interface thread only.
class CHotKeyErrDlg : public CDialog {
 public:
  static constexpr Color kTextColor = Rgb(12, 140, 240);

  // Opens a notice for the saved hot key; it deletes itself when it closes. Returns the
  // notice while it is open (for tests), nullptr when it could not be opened.
  static CHotKeyErrDlg* Open();

 protected:
  bool OnInit() override;
  void OnDestroy() override;

 private:
  CHotKeyErrDlg();
};
