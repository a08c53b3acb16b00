#pragma once

#include <string>

#include "settings_ui/my_dialog.h"

// The quick add-keyword dialog "添加" of the locked tray menu: one word of at most ten
// characters. One instance serves the whole process, so the word typed last shows again at
// the next opening. After kIdOk `word` holds the text.
class CAddWordDlg : public CMyDialog {
 public:
  static constexpr int kLongestWord = 10;

  CAddWordDlg();

  std::u16string word;

 protected:
  bool OnInit() override;
  void OnOk() override;
  void OnControlEvent(int id, ControlEvent event, std::u16string_view detail) override;
};
