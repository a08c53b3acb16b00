#include "tools/user_define_web_tip_dlg.h"

#include "config/settings.h"
#include "framework/ui_backend.h"
#include "resource.h"
#include "rules/data_file.h"
#include "tools/local_page.h"
#include "tools_resource.h"

namespace {

constexpr std::u16string_view kColourChoices[] = {u"字体颜色", u"背景颜色", u"边框颜色"};

}  // namespace

const std::u16string_view CUserDefineWebTipDlg::kSample =
    u"即使十句话能说对九句也未必有人称赞你，但是假如你说错了一句话就会接连受人指责；即使十次计谋你有九次成功也未必归功于你，"
    u"可是其中只要有一次失败，埋怨和责难之声就会纷纷到来。所以君子宁肯保持沉默寡言的态度，绝不冲动急躁，做事宁可显得笨拙，"
    u"绝对不能自作聪明显得高人一等。";

CUserDefineWebTipDlg::CUserDefineWebTipDlg() : CDialog(IDD_USER_DEFINE_WEB_TIP) {}

bool CUserDefineWebTipDlg::OnInit() {
  window().Enable(kIdOk, false);
  DialogLook look;
  look.background = Rgb(255, 255, 255);
  window().SetLook(look);
  for (int i = 0; i < static_cast<int>(std::size(kColourChoices)); ++i) {
    window().ComboAdd(IDC_TIP_COLOUR_CHOICE, kColourChoices[i], i);
  }
  window().ComboSelect(IDC_TIP_COLOUR_CHOICE, 0);

  CMyFile tip_template{std::string(kTemplatePath), false};
  tip_template.Read();
  template_has_bom_ = tip_template.HasBom();
  template_text_ = tip_template.TakeText();
  style_ = TipStyle::Load();

  pane_.Attach(window(), IDC_EXPLORER, CExplorer1::Wiring{.install_handler_on_navigate = true, .redirect_new_windows = false});
  pane_.Navigate(u"about:blank");
  RefreshPreview();
  return true;
}

bool CUserDefineWebTipDlg::WriteFilled(bool preview) {
  std::u16string filled = FillTipTemplate(template_text_, style_, preview ? std::optional(kSample) : std::nullopt);
  // The outputs are written as the template was: with its mark, or in the local code page.
  CMyFile output{std::string(kTemplatePath), false};
  output.SetHasBom(template_has_bom_);
  return output.WriteTo(output.Encode(filled), preview ? kPreviewPath : kTipPath);
}

void CUserDefineWebTipDlg::RefreshPreview() {
  WriteFilled(true);
  std::u16string preview_path(kPreviewPath.begin(), kPreviewPath.end());
  pane_.Navigate(LocalPageAddress(preview_path));
}

bool CUserDefineWebTipDlg::OnCommand(int id) {
  switch (id) {
    case IDC_TIP_CHANGE_COLOUR: ChangeColour(); return true;
    case IDC_TIP_RESET: Reset(); return true;
    default: return false;
  }
}

void CUserDefineWebTipDlg::ChangeColour() {
  Color* chosen[] = {&style_.text, &style_.background, &style_.border};
  int choice = window().ComboSelection(IDC_TIP_COLOUR_CHOICE);
  if (choice >= 0 && choice < static_cast<int>(std::size(chosen))) {
    if (std::optional<Color> colour = Ui().ChooseColor(*chosen[choice], this)) *chosen[choice] = *colour;
  }
  window().Enable(kIdOk, true);
  RefreshPreview();
}

void CUserDefineWebTipDlg::OnOk() {
  // Enter reaches OnOk while "保存" is disabled; there is nothing new to save then.
  if (!window().IsEnabled(kIdOk)) return;
  window().Enable(kIdOk, false);
  Save();
}

void CUserDefineWebTipDlg::Save() {
  style_.Save();
  // The fragment is complete before the filter is told to read it again, so a page that is
  // filtered in between never picks up a half-written or an old file as the new style.
  WriteFilled(false);
  TheSetup().tipStyleChanged = true;
}

void CUserDefineWebTipDlg::Reset() {
  style_ = TipStyle{};
  Save();
  RefreshPreview();
}
