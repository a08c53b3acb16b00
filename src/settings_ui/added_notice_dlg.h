#pragma once

#include "framework/dialog.h"

// The green notice "添加完成!" after sites were added: it fades in, stays three seconds and
// fades out; a left click closes it at once. Run modally.
class CAddedNoticeDlg : public CDialog {
 public:
  static constexpr int kStayTimer = 1;
  static constexpr uint32_t kStayMs = 3000;
  static constexpr Color kBackground = Rgb(35, 174, 57);

  CAddedNoticeDlg();

 protected:
  bool OnInit() override;
  bool OnCommand(int id) override;
  void OnTimer(int id) override;

 private:
  void FadeOutAndClose(int duration_ms);
};
