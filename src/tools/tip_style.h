#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "framework/ui_types.h"

// The style of the tip line that the filter inserts at the bottom of pages, as the style
// editor keeps it in the profile section "UserWebTip", with the editor's defaults.
struct TipStyle {
  Color text = 0x000000;
  Color background = 0xFFFFFF;
  Color border = 0xEAAA6D;  // shown as "#6DAAEA"
  std::u16string font = u"宋体";
  int font_size = 12;
  int font_weight = 400;  // kept, not used in the page

  // The stored style; each value missing from the profile takes its default.
  static TipStyle Load();
  // Writes every value.
  void Save() const;
  friend bool operator==(const TipStyle&, const TipStyle&) = default;
};

// "#RRGGBB" in upper-case hexadecimal.
std::u16string HtmlColour(Color colour);

// `text` made safe inside a quoted CSS string in a quoted HTML attribute: quotes,
// backslashes, angle brackets, "&", ";" and control characters become CSS escapes ("\27 ").
std::u16string EscapeCssString(std::u16string_view text);

// The tip template filled with `style` in one pass: "color: #000000" with the text colour,
// "background-color: #FFFFFF" with the background, "#6DAAEA" with the border, "宋体" with
// the escaped font face and "12" with the font size. With a `sample` (the preview) every
// "ShareContent" becomes the sample; without one it stays for the filter's tip sentence.
std::u16string FillTipTemplate(std::u16string_view tip_template, const TipStyle& style,
                               std::optional<std::u16string_view> sample);
