#include "platform/program_file.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/system_info.h"
#include "platform/win32/wide_text.h"

namespace {

ProgramVersion Failure(const char16_t* call) {
  DWORD error = GetLastError();
  ProgramVersion result;
  result.failed_call = call;
  result.error = static_cast<int>(error);
  result.error_text = SystemErrorText(error);
  return result;
}

std::wstring ModulePath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return std::wstring(path.data(), length);
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::u16string ProgramFilePath() {
  std::wstring path = ModulePath();
  return FromWide(path.c_str(), path.size());
}

ProgramVersion ReadProgramVersion() {
  std::wstring path = ModulePath();
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<BYTE> data(size > 0 ? size : 1);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return Failure(u"GetFileVersionInfo");

  struct Translation {
    WORD language;
    WORD code_page;
  };
  Translation* translations = nullptr;
  UINT bytes = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &bytes) ||
      bytes < sizeof(Translation)) {
    return Failure(u"VerQueryValue");
  }
  wchar_t hex[9];
  const wchar_t* digits = L"0123456789abcdef";
  uint32_t pair = static_cast<uint32_t>(translations[0].language) << 16 | translations[0].code_page;
  for (int i = 0; i < 8; ++i) hex[i] = digits[(pair >> (28 - 4 * i)) & 0xF];
  hex[8] = L'\0';
  std::wstring key = std::wstring(L"\\StringFileInfo\\") + hex + L"\\ProductVersion";
  wchar_t* version = nullptr;
  UINT units = 0;
  if (!VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&version), &units) || version == nullptr) {
    return Failure(u"VerQueryValue");
  }
  ProgramVersion result;
  result.ok = true;
  result.version = FromWide(version, units > 0 && version[units - 1] == L'\0' ? units - 1 : units);
  while (!result.version.empty() && result.version.back() == u'\0') result.version.pop_back();
  return result;
}
