#include "platform/code_page.h"

#include <windows.h>

#include <algorithm>

namespace {

template <typename Char>
std::basic_string_view<Char> UpToNul(std::basic_string_view<Char> text) {
  return text.substr(0, std::min(text.find(Char{}), text.size()));
}

std::u16string MultiByteToUtf16(UINT code_page, std::string_view bytes) {
  bytes = UpToNul(bytes);
  if (bytes.empty()) return {};
  int length = static_cast<int>(bytes.size());
  int units = MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  if (units <= 0) return {};
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(wide.data()), units);
  return wide;
}

std::string Utf16ToMultiByte(UINT code_page, std::u16string_view wide) {
  wide = UpToNul(wide);
  if (wide.empty()) return {};
  const wchar_t* units = reinterpret_cast<const wchar_t*>(wide.data());
  int length = static_cast<int>(wide.size());
  int size = WideCharToMultiByte(code_page, 0, units, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(code_page, 0, units, length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

}  // namespace

std::u16string LocalToWide(std::string_view local) { return MultiByteToUtf16(CP_ACP, local); }
std::string WideToLocal(std::u16string_view wide) { return Utf16ToMultiByte(CP_ACP, wide); }
std::u16string Utf8ToWide(std::string_view utf8) { return MultiByteToUtf16(CP_UTF8, utf8); }
std::string WideToUtf8(std::u16string_view wide) { return Utf16ToMultiByte(CP_UTF8, wide); }
