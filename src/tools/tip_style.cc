#include "tools/tip_style.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "base/replace_all.h"
#include "base/text_format.h"
#include "config/profile_values.h"

TipStyle TipStyle::Load() {
  TipStyle style;
  style.text = static_cast<Color>(ReadProfile(profile::kUserColor));
  style.background = static_cast<Color>(ReadProfile(profile::kUserBackgroundColor));
  style.border = static_cast<Color>(ReadProfile(profile::kUserBorderColor));
  style.font = ReadProfile(profile::kUserFont);
  style.font_size = ReadProfile(profile::kUserFontSize);
  style.font_weight = ReadProfile(profile::kUserFontWeight);
  return style;
}

void TipStyle::Save() const {
  WriteProfile(profile::kUserColor, static_cast<int32_t>(text));
  WriteProfile(profile::kUserBackgroundColor, static_cast<int32_t>(background));
  WriteProfile(profile::kUserBorderColor, static_cast<int32_t>(border));
  WriteProfile(profile::kUserFont, font);
  WriteProfile(profile::kUserFontSize, font_size);
  WriteProfile(profile::kUserFontWeight, font_weight);
}

std::u16string HtmlColour(Color colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  return std::u16string(text, text + 7);
}

std::u16string EscapeCssString(std::u16string_view text) {
  std::u16string escaped;
  for (char16_t c : text) {
    bool special = c < 0x20 || c == 0x7F || c == u'\'' || c == u'"' || c == u'\\' || c == u'<' || c == u'>' ||
                   c == u'&' || c == u';';
    if (!special) {
      escaped += c;
      continue;
    }
    char code[8];
    std::snprintf(code, sizeof code, "\\%X ", static_cast<unsigned>(c));
    for (const char* p = code; *p != 0; ++p) escaped += static_cast<char16_t>(*p);
  }
  return escaped;
}

std::u16string FillTipTemplate(std::u16string_view tip_template, const TipStyle& style,
                               std::optional<std::u16string_view> sample) {
  std::vector<std::pair<std::u16string, std::u16string>> pairs;
  if (sample) pairs.emplace_back(u"ShareContent", std::u16string(*sample));
  pairs.emplace_back(u"color: #000000", u"color: " + HtmlColour(style.text));
  pairs.emplace_back(u"background-color: #FFFFFF", u"background-color: " + HtmlColour(style.background));
  pairs.emplace_back(u"#6DAAEA", HtmlColour(style.border));
  pairs.emplace_back(u"宋体", EscapeCssString(style.font));
  pairs.emplace_back(u"12", Decimal(style.font_size));
  return ReplaceEachInOnePass<char16_t>(tip_template, pairs);
}
