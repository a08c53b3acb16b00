#pragma once

#include <string>

#include "framework/dialog.h"
#include "settings_ui/explorer1.h"
#include "tools/tip_style.h"

// The page-tip style editor "提示语样式": the text, background and border colours of the tip
// line that the filter puts at the bottom of pages, with a preview. "保存" writes the style
// to the profile and the tip fragment Data\WebBottomTips.txt, then tells the filter to read
// it again; "重置" does the same with the defaults; "关闭" keeps nothing unsaved. Modal.
// User-interface thread only.
class CUserDefineWebTipDlg : public CDialog {
 public:
  static constexpr std::string_view kTemplatePath = "Data\\WebBottomTipsTemplate.txt";
  static constexpr std::string_view kPreviewPath = "Data\\UserWebBottomTips.html";
  static constexpr std::string_view kTipPath = "Data\\WebBottomTips.txt";
  // The sample sentence of the preview.
  static const std::u16string_view kSample;

  CUserDefineWebTipDlg();

  const TipStyle& Style() const { return style_; }

 protected:
  bool OnInit() override;
  void OnOk() override;
  bool OnCommand(int id) override;

 private:
  void ChangeColour();
  void Reset();
  void Save();
  void RefreshPreview();
  // Writes the filled template: the preview page, or the tip fragment.
  bool WriteFilled(bool preview);

  std::u16string template_text_;
  bool template_has_bom_ = false;
  TipStyle style_;
  CExplorer1 pane_;
};
