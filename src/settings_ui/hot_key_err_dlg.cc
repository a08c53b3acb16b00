#include "settings_ui/hot_key_err_dlg.h"

#include "base/replace_all.h"
#include "config/profile_values.h"
#include "framework/ui_backend.h"
#include "platform/code_page.h"
#include "resource.h"

namespace {

std::u16string KeyName(uint8_t key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::u16string(1, static_cast<char16_t>(key));
  if (key >= 0x70 && key <= 0x87) return u"F" + Utf8ToWide(std::to_string(key - 0x6F));
  struct Named {
    uint8_t key;
    const char16_t* name;
  };
  static constexpr Named kNames[] = {
      {0x08, u"Backspace"}, {0x09, u"Tab"},    {0x0D, u"Enter"},   {0x13, u"Pause"},  {0x1B, u"Esc"},
      {0x20, u"Space"},     {0x21, u"Page Up"}, {0x22, u"Page Down"}, {0x23, u"End"}, {0x24, u"Home"},
      {0x25, u"Left"},      {0x26, u"Up"},     {0x27, u"Right"},   {0x28, u"Down"},   {0x2D, u"Insert"},
      {0x2E, u"Delete"},    {0x6A, u"Num *"},  {0x6B, u"Num +"},   {0x6D, u"Num -"},  {0x6E, u"Num Del"},
      {0x6F, u"Num /"},     {0xBA, u";"},      {0xBB, u"="},       {0xBC, u","},      {0xBD, u"-"},
      {0xBE, u"."},         {0xBF, u"/"},      {0xC0, u"`"},       {0xDB, u"["},      {0xDC, u"\\"},
      {0xDD, u"]"},         {0xDE, u"'"},
  };
  if (key >= 0x60 && key <= 0x69) return u"Num " + std::u16string(1, static_cast<char16_t>(u'0' + key - 0x60));
  for (const Named& named : kNames) {
    if (named.key == key) return named.name;
  }
  return key == 0 ? u"" : u"?";
}

}  // namespace

std::u16string HotKeyName(uint16_t value) {
  uint8_t modifiers = static_cast<uint8_t>(value >> 8);
  std::u16string name;
  auto add = [&name](std::u16string_view part) {
    if (!name.empty()) name += u" + ";
    name += part;
  };
  if (modifiers & 0x02) add(u"Ctrl");
  if (modifiers & 0x01) add(u"Shift");
  if (modifiers & 0x04) add(u"Alt");
  add(KeyName(static_cast<uint8_t>(value & 0xFF)));
  return name;
}

CHotKeyErrDlg::CHotKeyErrDlg() : CDialog(IDD_HOTKEY_ERR) {}

CHotKeyErrDlg* CHotKeyErrDlg::Open() {
  auto* notice = new CHotKeyErrDlg;
  if (!notice->Create()) {
    delete notice;
    return nullptr;
  }
  notice->Window()->SetTopMost(true);
  notice->Window()->BringToFront();
  return notice;
}

bool CHotKeyErrDlg::OnInit() {
  DialogLook look;
  look.background = Rgb(255, 255, 255);
  look.static_text_color = kTextColor;
  look.transparent_static_text = true;
  window().SetLook(look);
  window().SetToolWindow(true);
  std::u16string text = u"您设置的热键 【%s】 被其他程序占用了，请到【设置中心】重新设置一个。";
  ReplaceEvery<char16_t>(text, u"%s", HotKeyName(static_cast<uint16_t>(ReadProfile(profile::kHotkey))));
  window().SetText(IDC_HOTKEY_ERR_TEXT, text);
  return true;
}

// A notice nobody keeps a pointer to: it goes with its window.
void CHotKeyErrDlg::OnDestroy() {
  Ui().Dispatcher().Post([this] { delete this; });
}
