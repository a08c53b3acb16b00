// The system proxy setting and the browser traces through the real WinINet and registry
// calls, in the test's own Wine prefix.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/desktop_integration.h"
#include "framework/win32/windows_include.h"
#include "system_proxy_reader.h"
#include "temp_folder.h"

#include <wininet.h>

namespace {

std::wstring StoredProxyServer() {
  wchar_t text[512] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                   L"ProxyServer", RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
    return L"(none)";
  }
  return text;
}

// Wine's WinINet keeps less than Windows does: the flags read back without DIRECT, the
// server reduced to its first address, no bypass list and no automatic detection. What it
// keeps is checked here, and the stored server text whole.
TEST(SystemIntegrationTest, RegisterAndRemoveWriteTheProxyOptionsThatBrowsersRead) {
  ScopedTempWorkingFolder folder;
  std::ofstream(folder.path() / "Data" / "SuperWhiteList.txt") << "localhost;127.*;192.168.*;<local>";
  DesktopIntegration desktop;

  desktop.RegisterSystemProxy(9090);
  SystemProxyState on = ReadSystemProxy();
  EXPECT_TRUE(on.flags & PROXY_TYPE_PROXY);
  EXPECT_TRUE(on.server.ends_with(L"127.0.0.1:9090")) << std::string(on.server.begin(), on.server.end());
  EXPECT_EQ(StoredProxyServer(), L"http=127.0.0.1:9090;https=127.0.0.1:9090");

  desktop.RemoveSystemProxy();
  SystemProxyState off = ReadSystemProxy();
  EXPECT_FALSE(off.flags & PROXY_TYPE_PROXY);
  EXPECT_TRUE(off.flags & PROXY_TYPE_DIRECT);
  EXPECT_EQ(off.server, L"");
}

TEST(SystemIntegrationTest, CleaningTracesRemovesTheTypedAddresses) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t url[] = L"http://example.com/";
  RegSetValueExW(key, L"url1", 0, REG_SZ, reinterpret_cast<const BYTE*>(url), sizeof url);
  RegCloseKey(key);

  DesktopIntegration().CleanBrowserTraces();
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\TypedURLs", 0, KEY_READ, &key),
            ERROR_SUCCESS);
}

}  // namespace
