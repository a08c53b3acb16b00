#pragma once

#include <string>
#include <string_view>

// char16_t and wchar_t are the same 16-bit units on Windows; these views cross the boundary
// to the W functions without copying.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* AsWide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline std::u16string FromWide(const wchar_t* text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}
inline std::wstring ToWideString(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}
