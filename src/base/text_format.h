#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Filling the program's message patterns and reading numbers that users type.

// `value` in decimal digits.
inline std::u16string Decimal(int64_t value) {
  std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// `pattern` with its first "%d" replaced by `value` in decimal.
inline std::u16string WithNumber(std::u16string_view pattern, int64_t value) {
  std::u16string text(pattern);
  size_t at = text.find(u"%d");
  if (at != std::u16string::npos) text.replace(at, 2, Decimal(value));
  return text;
}

// `pattern` with its first "%s" replaced by `value`.
inline std::u16string WithText(std::u16string_view pattern, std::u16string_view value) {
  std::u16string text(pattern);
  size_t at = text.find(u"%s");
  if (at != std::u16string::npos) text.replace(at, 2, value);
  return text;
}

// A whole number in decimal with an optional sign, spaces allowed around it; nothing when
// the text is anything else or the number needs more than 18 digits.
inline std::optional<int64_t> ParseWholeNumber(std::u16string_view text) {
  size_t at = text.find_first_not_of(u" \t");
  if (at == std::u16string_view::npos) return std::nullopt;
  bool negative = text[at] == u'-';
  if (text[at] == u'-' || text[at] == u'+') ++at;
  int64_t value = 0;
  size_t digits = 0;
  for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at, ++digits) {
    if (digits == 18) return std::nullopt;
    value = value * 10 + (text[at] - u'0');
  }
  if (digits == 0 || text.find_first_not_of(u" \t", at) != std::u16string_view::npos) return std::nullopt;
  return negative ? -value : value;
}
