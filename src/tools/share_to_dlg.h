#pragma once

#include <string>
#include <string_view>

#include "framework/dialog.h"
#include "settings_ui/explorer1.h"

// The recommendation the share page offers, with `filter_count` blocked items.
std::u16string ShareRecommendation(int filter_count);

// The share window "分享到": fills Data\shareto.html with the recommendation (wherever it
// holds "ShareContent" or "ShareTitle"), writes it as Data\shareto1.html and shows it; a
// link that asks for a new window opens in the default browser. Modal, with no parent;
// nothing is saved. User-interface thread only.
class CShareToDlg : public CDialog {
 public:
  static constexpr std::string_view kInputPath = "Data\\shareto.html";
  static constexpr std::string_view kOutputPath = "Data\\shareto1.html";

  CShareToDlg();

 protected:
  bool OnInit() override;

 private:
  CExplorer1 pane_;
};
