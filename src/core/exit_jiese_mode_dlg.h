#pragma once

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dialog.h"

// The non-empty lines of a plain text file in the local code page, each cut to at most
// `max_bytes` bytes (never inside a two-byte character). Empty when the file is missing.
std::vector<std::u16string> ReadAdmonitions(std::string_view path, size_t max_bytes = 1023);

// The last step out of the forced abstinence mode: a dark window that shows admonishing
// sentences and lets the user confirm only after ten seconds. kIdOk confirms; kIdCancel
// (or the close) refuses. "强制关机" turns the computer off instead.
class CExitJieSeModeDlg : public CDialog {
 public:
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 600;
  static constexpr int kWaitSeconds = 10;
  static constexpr int kSentenceTimer = 1;   // every 3 s: another sentence
  static constexpr int kCountdownTimer = 2;  // every second: the OK button's count

  CExitJieSeModeDlg();

 protected:
  bool OnInit() override;
  bool OnCommand(int id) override;
  void OnTimer(int id) override;
  void OnOk() override;

 private:
  void PlaceControls();
  void ShowRandomSentence();

  std::vector<std::u16string> sentences_;
  std::minstd_rand random_;
  int seconds_waited_ = 0;
};
