#pragma once

// The system proxy setting of the default connection as browsers read it, and a way to put
// back one read before (Windows only).
#include <string>

#include "framework/win32/windows_include.h"

#include <wininet.h>

struct SystemProxyState {
  DWORD flags = 0;
  std::wstring server;
  std::wstring bypass;
};

inline SystemProxyState ReadSystemProxy() {
  INTERNET_PER_CONN_OPTIONW options[3] = {};
  options[0].dwOption = INTERNET_PER_CONN_FLAGS;
  options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
  options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
  INTERNET_PER_CONN_OPTION_LISTW list{};
  list.dwSize = sizeof list;
  list.dwOptionCount = 3;
  list.pOptions = options;
  DWORD size = sizeof list;
  SystemProxyState state;
  if (!InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size)) return state;
  state.flags = options[0].Value.dwValue;
  for (int i : {1, 2}) {
    if (options[i].Value.pszValue == nullptr) continue;
    (i == 1 ? state.server : state.bypass) = options[i].Value.pszValue;
    GlobalFree(options[i].Value.pszValue);
  }
  return state;
}

// Writes `state` back as the setting of the default connection and tells WinINet's users.
inline bool RestoreSystemProxy(const SystemProxyState& state) {
  std::wstring server = state.server, bypass = state.bypass;
  INTERNET_PER_CONN_OPTIONW options[3] = {};
  options[0].dwOption = INTERNET_PER_CONN_FLAGS;
  options[0].Value.dwValue = state.flags;
  options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
  options[1].Value.pszValue = server.empty() ? nullptr : server.data();
  options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
  options[2].Value.pszValue = bypass.empty() ? nullptr : bypass.data();
  INTERNET_PER_CONN_OPTION_LISTW list{};
  list.dwSize = sizeof list;
  list.dwOptionCount = 3;
  list.pOptions = options;
  bool written = InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof list) != FALSE;
  InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
  return written;
}
