#include "platform/proxy_setting.h"

#include <windows.h>
#include <wininet.h>

#include <string>

#include "platform/win32/wide_text.h"

namespace {

// Writes the options for the default connection (no connection name) in one call.
bool WriteOptions(INTERNET_PER_CONN_OPTIONW* options, DWORD count, int* error) {
  INTERNET_PER_CONN_OPTION_LISTW list{};
  list.dwSize = sizeof list;
  list.pszConnection = nullptr;
  list.dwOptionCount = count;
  list.pOptions = options;
  if (InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof list)) return true;
  if (error != nullptr) *error = static_cast<int>(GetLastError());
  return false;
}

class WinInetProxySetting : public ProxySetting {
 public:
  bool PointAtLocalProxy(std::u16string_view server_text, uint16_t port, std::u16string_view bypass,
                         int* error) override {
    std::wstring server = ToWideString(server_text);
    std::wstring bypass_text = ToWideString(bypass);
    INTERNET_PER_CONN_OPTIONW options[3] = {};
    options[0].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[0].Value.pszValue = server.data();
    options[1].dwOption = INTERNET_PER_CONN_FLAGS;
    options[1].Value.dwValue = PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY;
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[2].Value.pszValue = bypass_text.data();
    bool written = WriteOptions(options, 3, error);
    InternetSetOptionW(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
    return written;
  }

  void SetDirectWithAutoDetect() override {
    wchar_t empty[] = L"";
    INTERNET_PER_CONN_OPTIONW options[5] = {};
    options[0].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    options[0].Value.pszValue = empty;
    options[1].dwOption = INTERNET_PER_CONN_AUTODISCOVERY_FLAGS;
    options[1].Value.dwValue = 0;
    options[2].dwOption = INTERNET_PER_CONN_FLAGS;
    options[2].Value.dwValue = PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_DETECT;
    options[3].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[3].Value.pszValue = nullptr;
    options[4].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[4].Value.pszValue = nullptr;
    WriteOptions(options, 5, nullptr);
    InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
    InternetSetOptionW(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
  }

  void SwitchOffAtSessionEnd() override {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                      KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
      return;
    }
    DWORD off = 0;
    RegSetValueExW(key, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
    RegCloseKey(key);
  }
};

}  // namespace

ProxySetting& ProxySetting::System() {
  static WinInetProxySetting setting;
  return setting;
}
