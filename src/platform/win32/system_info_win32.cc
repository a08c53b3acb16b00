#include "platform/win32/system_info.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/wide_text.h"

bool WindowsVersionAtLeast(unsigned major, unsigned minor) {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&version)) return false;
#pragma GCC diagnostic pop
  return version.dwMajorVersion > major || (version.dwMajorVersion == major && version.dwMinorVersion >= minor);
}

std::u16string SystemErrorText(unsigned long error) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text = buffer != nullptr ? FromWide(buffer, length) : std::u16string();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.pop_back();
  return text;
}

std::vector<std::u16string> CommandLineArguments() {
  std::vector<std::u16string> arguments;
  int count = 0;
  if (LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) arguments.push_back(FromWide(words[i], wcslen(words[i])));
    LocalFree(words);
  }
  return arguments;
}
