// The real KEZO.exe, started from a program folder of its own under Wine and Xvfb: its
// window and tray icon appear, a screenshot of the window is saved for people to look at,
// and the quit message that Updater posts ends it.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "framework/win32/windows_include.h"
#include "platform/sockets.h"
#include "system_proxy_reader.h"
#include "test_pictures.h"

namespace {

constexpr UINT kQuitMessage = 0x6A3;
constexpr wchar_t kSetupKey[] = L"Software\\Solvane\\Veltra\\Setup";

std::filesystem::path TestProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path();
}

// A free TCP port of this machine (bound, read back and released).
uint16_t FreePort() {
  int error = 0;
  SocketHandle socket = ListenTcp(0, &error);
  uint16_t port = socket != kNoSocket ? LocalPort(socket) : 0;
  if (socket != kNoSocket) CloseSocket(socket);
  return port;
}

void WriteSetting(const wchar_t* name, DWORD value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kSetupKey, name, REG_DWORD, &value, sizeof value);
}

struct TopWindow {
  DWORD process;
  HWND found;
};

HWND FindTitledWindowOf(DWORD process) {
  TopWindow search{process, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* search = reinterpret_cast<TopWindow*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t title[64] = {};
        GetWindowTextW(window, title, 64);
        if (owner == search->process && lstrcmpW(title, L"Veltra") == 0) {
          search->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The window's pixels from the screen, as a PNG.
std::string Screenshot(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  std::string png = test_pictures::Png(width, height, [&](int x, int y) {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] & 0xFFFFFFu;
  });
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return png;
}

class KezoExeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no X display (DISPLAY is not set)";
    folder_ = std::filesystem::temp_directory_path() / ("kezo-exe-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder_ / "Data");
    std::filesystem::create_directories(folder_ / "www");
    std::filesystem::copy_file(TestProgramFolder() / "KEZO.exe", folder_ / "KEZO.exe");
    std::filesystem::copy_file(TestProgramFolder() / "kezo_stub_updater.exe", folder_ / "Updater.exe");
    // The shipped pictures when the build copied them beside the programs, else drawn here.
    if (std::filesystem::exists(TestProgramFolder() / "Images" / "0.png")) {
      std::filesystem::copy(TestProgramFolder() / "Images", folder_ / "Images");
    } else {
      test_pictures::WriteMainWindowPictures(folder_, 26);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Solvane\\Veltra");
    WriteSetting(L"HttpPort", FreePort());
    WriteSetting(L"ProxyPort", FreePort());
    WriteSetting(L"FirstRun", 1);
    WriteSetting(L"FilterCount", 0);
  }
  void TearDown() override {
    if (process_.hProcess != nullptr) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Solvane\\Veltra");
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }

  std::filesystem::path folder_;
  PROCESS_INFORMATION process_{};
};

TEST_F(KezoExeTest, StartsInTheTrayWithItsWindowAndEndsOnTheQuitMessage) {
  std::wstring command = L"\"" + (folder_ / "KEZO.exe").wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.wstring().c_str(),
                             &startup, &process_));
  ASSERT_EQ(WaitForInputIdle(process_.hProcess, 60000), 0u) << "the program reaches its message loop";

  HWND window = FindTitledWindowOf(process_.dwProcessId);
  ASSERT_NE(window, nullptr) << "a top-level window titled Veltra";
  EXPECT_TRUE(IsWindowVisible(window));
  RECT rect;
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.right - rect.left, 898);
  EXPECT_EQ(rect.bottom - rect.top, 600);

  // The icon exists exactly when the shell accepts a change to it.
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 128;
  icon.uFlags = NIF_TIP;
  lstrcpyW(icon.szTip, L"Veltra");
  EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &icon)) << "the tray icon 128 of the window";

  // The proxy's thread points the system at the proxy once its lists are loaded.
  DWORD proxy_port = 0, size = sizeof proxy_port;
  RegGetValueW(HKEY_CURRENT_USER, kSetupKey, L"ProxyPort", RRF_RT_REG_DWORD, nullptr, &proxy_port, &size);
  // (Wine reads the server back as its first address only.)
  std::wstring expected_server = L"127.0.0.1:" + std::to_wstring(proxy_port);
  for (int i = 0; i < 200 && !ReadSystemProxy().server.ends_with(expected_server); ++i) Sleep(50);
  EXPECT_TRUE(ReadSystemProxy().server.ends_with(expected_server));
  EXPECT_TRUE(ReadSystemProxy().flags & PROXY_TYPE_PROXY);

  std::string shot = Screenshot(window);
  test_pictures::Write(std::filesystem::current_path() / "kezo_main_window.png", shot);

  ASSERT_TRUE(PostMessageW(window, kQuitMessage, 0, 0));
  ASSERT_EQ(WaitForSingleObject(process_.hProcess, 60000), WAIT_OBJECT_0) << "the quit message ends the program";
  DWORD code = 1;
  GetExitCodeProcess(process_.hProcess, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &icon)) << "the tray icon went with it";
  SystemProxyState after = ReadSystemProxy();
  EXPECT_FALSE(after.flags & PROXY_TYPE_PROXY) << "the proxy setting is removed";
  EXPECT_EQ(after.server, L"");
}

}  // namespace
