#include "platform/app_containers.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/system_info.h"
#include "platform/win32/wide_text.h"

namespace {

constexpr wchar_t kMappings[] =
    L"SOFTWARE\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppContainer\\Mappings";

class WindowsAppContainers : public AppContainers {
 public:
  bool Supported() override {
    return WindowsVersionAtLeast(6, 1);
  }

  std::optional<std::vector<std::u16string>> List() override {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kMappings, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD count = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr);
    std::vector<std::u16string> names;
    for (DWORD i = 0; i < count; ++i) {
      wchar_t name[256];
      DWORD length = 256;
      if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
      names.push_back(FromWide(name, length));
    }
    RegCloseKey(key);
    return names;
  }

  std::u16string SystemDirectory() override {
    wchar_t folder[MAX_PATH];
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? FromWide(folder, length) : std::u16string();
  }

  void RunTool(std::u16string_view tool, std::u16string_view parameters) override {
    std::wstring file = ToWideString(tool);
    std::wstring arguments = ToWideString(parameters);
    ShellExecuteW(nullptr, L"open", file.c_str(), arguments.c_str(), nullptr, SW_HIDE);
  }
};

}  // namespace

AppContainers& AppContainers::System() {
  static WindowsAppContainers containers;
  return containers;
}
