#pragma once

#include "framework/dialog.h"

// The rest notice: a black, nearly opaque window over the whole screen that tells the user
// how long they have worked and counts five minutes down; it closes at the end or on a
// double click anywhere. Modal, with the desktop as parent. User-interface thread only.
class CNeedRestDlg : public CDialog {
 public:
  static constexpr int kCountdownTimer = 1;
  static constexpr int kRestSeconds = 300;
  static constexpr Color kTextColour = Rgb(231, 144, 35);

  CNeedRestDlg();

  // Input: the hours the message names; 0 takes the saved interval (RestReminderTime).
  int hours = 0;

  int SecondsLeft() const { return seconds_left_; }

 protected:
  bool OnInit() override;
  void OnTimer(int id) override;
  void OnDoubleClick() override { End(kIdOk); }

 private:
  int seconds_left_ = kRestSeconds;
};
