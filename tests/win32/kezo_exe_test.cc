// The real KEZO.exe, started from a program folder of its own under Wine and Xvfb: its
// window and tray icon appear, a screenshot of the window is saved for people to look at,
// and the quit message that Updater posts ends it. The same for a copy of the distribution
// folder that scripts/package names in KEZO_PACKAGE_DIR.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/win32/windows_include.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include "data_files.h"
#include "platform/sockets.h"
#include "file_text.h"
#include "other_programs.h"
#include "system_proxy_reader.h"
#include "test_pictures.h"
#include "win32_windows.h"

namespace {

constexpr UINT kQuitMessage = 0x6A3;
constexpr wchar_t kSetupKey[] = L"Software\\Solvane\\Veltra\\Setup";

std::filesystem::path TestProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path();
}

void WriteSetting(const wchar_t* name, DWORD value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kSetupKey, name, REG_DWORD, &value, sizeof value);
}

HWND FindTitledWindowOf(DWORD process) { return FindWindowOf(process, L"Veltra"); }

// The captions of a tab control of another process, read through memory of that process.
std::vector<std::wstring> TabCaptions(HWND tab) {
  std::vector<std::wstring> captions;
  DWORD owner = 0;
  GetWindowThreadProcessId(tab, &owner);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, owner);
  if (process == nullptr) return captions;
  constexpr size_t kTextUnits = 64;
  char* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(TCITEMW) + kTextUnits * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count && remote != nullptr; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(TCITEMW));
    item.cchTextMax = kTextUnits;
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote));
    wchar_t text[kTextUnits] = {};
    ReadProcessMemory(process, remote + sizeof(TCITEMW), text, sizeof text - sizeof(wchar_t), nullptr);
    captions.emplace_back(text);
  }
  if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return captions;
}

// Memory of another process for a message that carries a pointer: `size` bytes there.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, owner);
    if (process_ != nullptr) address_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  }
  ~RemoteBuffer() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  char* address() const { return address_; }
  void Write(const void* data, size_t size, size_t offset = 0) { WriteProcessMemory(process_, address_ + offset, data, size, nullptr); }
  void Read(void* data, size_t size, size_t offset = 0) { ReadProcessMemory(process_, address_ + offset, data, size, nullptr); }

 private:
  HANDLE process_ = nullptr;
  char* address_ = nullptr;
};

// Row `row` of a list view of another process.
std::wstring ListViewText(HWND list, int row) {
  constexpr size_t kTextUnits = 256;
  RemoteBuffer remote(list, sizeof(LVITEMW) + kTextUnits * sizeof(wchar_t));
  if (remote.address() == nullptr) return {};
  LVITEMW item{};
  item.iSubItem = 0;
  item.cchTextMax = kTextUnits;
  item.pszText = reinterpret_cast<LPWSTR>(remote.address() + sizeof(LVITEMW));
  remote.Write(&item, sizeof item);
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.address()));
  wchar_t text[kTextUnits] = {};
  remote.Read(text, sizeof text - sizeof(wchar_t), sizeof(LVITEMW));
  return text;
}

// Clicks tab `index` of a tab control of another process, as the mouse would.
void ClickTab(HWND tab, int index) {
  RemoteBuffer remote(tab, sizeof(RECT));
  RECT rect{};
  SendMessageW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.address()));
  remote.Read(&rect, sizeof rect);
  LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(tab, WM_LBUTTONUP, 0, at);
}

// The child of `parent`, at any depth, with control number `id`.
HWND ChildWithId(HWND parent, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM data) -> BOOL {
        auto* search = reinterpret_cast<Search*>(data);
        if (GetDlgCtrlID(child) != search->id) return TRUE;
        search->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Waits for a shown dialog of `process` titled `title`; null if none comes.
HWND WaitForShownDialog(DWORD process, const wchar_t* title) {
  HWND found = nullptr;
  bool shown = WaitFor([&] {
    found = FindWindowOf(process, title, L"#32770");
    return found != nullptr && IsWindowVisible(found);
  });
  return shown ? found : nullptr;
}

// Waits for a shown top-level window of `process` that holds control `id`; null if none comes.
HWND WaitForShownWindowWith(DWORD process, int id) {
  HWND found = nullptr;
  bool shown = WaitFor([&] {
    found = FindTopWindowOf(process, [id](HWND window) { return GetDlgItem(window, id) != nullptr && IsWindowVisible(window); });
    return found != nullptr;
  });
  return shown ? found : nullptr;
}

// The texts of the controls of the dialog windows (message boxes among them) that
// `process` shows.
std::vector<std::wstring> DialogTextsOf(DWORD process) {
  std::vector<std::wstring> texts;
  for (const TopWindow& window : TopWindowsOf(process)) {
    if (window.kind != L"#32770" || !IsWindowVisible(window.handle)) continue;
    EnumChildWindows(
        window.handle,
        [](HWND child, LPARAM data) -> BOOL {
          wchar_t text[256] = {};
          if (GetWindowTextW(child, text, 256) > 0) reinterpret_cast<std::vector<std::wstring>*>(data)->push_back(text);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
  }
  return texts;
}

// A change of the tip of the window's tray icon (id 128): the icon exists exactly when the
// shell accepts it.
NOTIFYICONDATAW TrayIconChange(HWND window) {
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 128;
  icon.uFlags = NIF_TIP;
  lstrcpyW(icon.szTip, L"Veltra");
  return icon;
}

DWORD ReadSetting(const wchar_t* name) {
  DWORD value = 0xDEAD, size = sizeof value;
  RegGetValueW(HKEY_CURRENT_USER, kSetupKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
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
    ResetSettings();
    system_proxy_before_ = ReadSystemProxy();
  }
  // A fresh profile: free ports, no welcome dialog, a zero counter.
  static void ResetSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Solvane\\Veltra");
    WriteSetting(L"HttpPort", FreePort());
    WriteSetting(L"ProxyPort", FreePort());
    WriteSetting(L"FirstRun", 1);
    WriteSetting(L"FilterCount", 0);
  }
  // Starts a program of the test's program folder; its handles are closed at the end.
  PROCESS_INFORMATION Start(const std::wstring& program, const std::wstring& arguments = L"") {
    std::wstring command = L"\"" + (folder_ / program).wstring() + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    EXPECT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder_.wstring().c_str(), &startup, &started));
    others_.push_back(started);
    return started;
  }

  void TearDown() override {
    EndAll(L"Launcher.exe");
    EndAll(L"KEZO.exe");
    for (PROCESS_INFORMATION& other : others_) {
      if (other.hProcess == nullptr) continue;
      CloseHandle(other.hProcess);
      CloseHandle(other.hThread);
    }
    if (process_.hProcess != nullptr) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Solvane\\Veltra");
    PutBackSystemProxy();
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  // A KEZO.exe ended from outside leaves the system proxy pointing at its dead port, which
  // would send the later tests' downloads nowhere: the setting the test began with goes back.
  void PutBackSystemProxy() {
    if (!system_proxy_before_) return;
    SystemProxyState now = ReadSystemProxy();
    if (now.server == system_proxy_before_->server && now.flags == system_proxy_before_->flags) return;
    EXPECT_TRUE(RestoreSystemProxy(*system_proxy_before_));
  }

  std::filesystem::path folder_;
  std::optional<SystemProxyState> system_proxy_before_;
  PROCESS_INFORMATION process_{};
  std::vector<PROCESS_INFORMATION> others_;
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

  NOTIFYICONDATAW icon = TrayIconChange(window);
  EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &icon)) << "the tray icon 128 of the window";

  // The proxy's thread points the system at the proxy once its lists are loaded.
  DWORD proxy_port = 0, size = sizeof proxy_port;
  RegGetValueW(HKEY_CURRENT_USER, kSetupKey, L"ProxyPort", RRF_RT_REG_DWORD, nullptr, &proxy_port, &size);
  // (Wine reads the server back as its first address only.)
  std::wstring expected_server = L"127.0.0.1:" + std::to_wstring(proxy_port);
  EXPECT_TRUE(WaitFor([&] { return ReadSystemProxy().server.ends_with(expected_server); }, 10));
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

// Each tool from its command to the running program's window, from its real template.
// The timed shutdown is only opened here: nothing in a test may start a real countdown.
TEST_F(KezoExeTest, TheToolsOpenFromTheirCommands) {
  std::wstring command = L"\"" + (folder_ / "KEZO.exe").wstring() + L"\" -h";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.wstring().c_str(),
                             &startup, &process_));
  ASSERT_EQ(WaitForInputIdle(process_.hProcess, 60000), 0u);
  HWND main = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (main = FindTitledWindowOf(process_.dwProcessId)) != nullptr; }));

  struct Tool {
    UINT command;
    const wchar_t* title;
    const char* shot;
    bool modal;
  } tools[] = {
      {32841, L"定时关机", "tool_timed_shutdown.png", false},
      {32811, L"寿康日历", "tool_health_calendar.png", false},
      {32845, L"休息提醒", "tool_rest_reminder.png", true},
      {1071, L"分享到", "tool_share.png", true},
  };
  for (const Tool& tool : tools) {
    ASSERT_TRUE(PostMessageW(main, WM_COMMAND, tool.command, 0));
    HWND window = WaitForShownDialog(process_.dwProcessId, tool.title);
    ASSERT_NE(window, nullptr) << tool.shot;
    Sleep(800);  // the slide-in and the first painting
    test_pictures::Write(std::filesystem::current_path() / tool.shot, Screenshot(window));

    if (tool.command == 32841) {
      wchar_t status[64] = {};
      GetDlgItemTextW(window, 1064, status, 64);
      EXPECT_EQ(std::wstring(status).rfind(L"距离关机还有: 1 小时 0 分", 0), 0u) << "an hour from now";
      EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    }
    if (tool.command == 32811) {
      RECT area{}, rect{};
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
      GetWindowRect(window, &rect);
      EXPECT_EQ(rect.right, area.right);
      EXPECT_EQ(rect.bottom, area.bottom) << "on the task bar, not under it";
      EXPECT_EQ(rect.right - rect.left, 313);
      EXPECT_EQ(rect.bottom - rect.top, 360);
      EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_NOACTIVATE) << "shown without taking the focus";
    }
    if (tool.modal) {
      PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
      EXPECT_TRUE(WaitFor([&] { return !IsWindow(window); })) << tool.shot;
    }
  }
  // A second command shows the one window again.
  PostMessageW(main, WM_COMMAND, 1103, 0);
  Sleep(300);
  int shutdown_windows = 0;
  for (const TopWindow& window : TopWindowsOf(process_.dwProcessId)) shutdown_windows += window.title == L"定时关机";
  EXPECT_EQ(shutdown_windows, 1);
}

TEST_F(KezoExeTest, TheTrayCommandOpensTheOneSettingsCentreWithItsSixTabs) {
  PROCESS_INFORMATION started = Start(L"KEZO.exe", L"-h");
  ASSERT_EQ(WaitForInputIdle(started.hProcess, 60000), 0u);
  HWND main = FindTitledWindowOf(started.dwProcessId);
  ASSERT_NE(main, nullptr);
  constexpr WPARAM kSettingsCommand = 32774;
  ASSERT_TRUE(PostMessageW(main, WM_COMMAND, kSettingsCommand, 0));
  HWND settings = WaitForShownDialog(started.dwProcessId, L"设置中心");
  ASSERT_NE(settings, nullptr) << "the settings centre opens";
  RECT rect;
  GetWindowRect(settings, &rect);
  EXPECT_EQ(rect.right - rect.left, 608);
  EXPECT_EQ(rect.bottom - rect.top, 512);
  EXPECT_FALSE(GetWindowLongW(settings, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << "a task-bar button of its own";
  HWND tab = GetDlgItem(settings, 1033);
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(TabCaptions(tab), (std::vector<std::wstring>{L"基本设置", L"过滤设置", L"关键字词", L"黑白网址名单",
                                                         L"密码安全", L"智能监控"}));
  EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);
  // Let the pages draw before the picture is taken.
  Sleep(500);
  test_pictures::Write(std::filesystem::current_path() / "settings_centre.png", Screenshot(settings));

  // The close box hides the window; the command shows the same one again.
  PostMessageW(settings, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(settings); })) << "closing hides it";
  EXPECT_TRUE(IsWindow(settings)) << "and keeps it";
  ASSERT_TRUE(PostMessageW(main, WM_COMMAND, kSettingsCommand, 0));
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(settings) != FALSE; })) << "the same window comes back";
  int settings_windows = 0;
  for (const TopWindow& window : TopWindowsOf(started.dwProcessId)) settings_windows += window.title == L"设置中心";
  EXPECT_EQ(settings_windows, 1);

  ASSERT_TRUE(PostMessageW(main, kQuitMessage, 0, 0));
  EXPECT_EQ(WaitForSingleObject(started.hProcess, 60000), WAIT_OBJECT_0);
}

TEST_F(KezoExeTest, TheSiteListsTabAddsARowThroughTheAddDialog) {
  PROCESS_INFORMATION started = Start(L"KEZO.exe", L"-h");
  ASSERT_EQ(WaitForInputIdle(started.hProcess, 60000), 0u);
  HWND main = FindTitledWindowOf(started.dwProcessId);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(PostMessageW(main, WM_COMMAND, 32774, 0));
  HWND settings = WaitForShownDialog(started.dwProcessId, L"设置中心");
  ASSERT_NE(settings, nullptr);
  HWND list = ChildWithId(settings, 1048);  // the site lists page's list view
  ASSERT_NE(list, nullptr);
  ClickTab(GetDlgItem(settings, 1033), 3);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(list) != FALSE; })) << "the tab shows the page";
  int rows_before = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));

  PostMessageW(GetParent(list), WM_COMMAND, 32829, 0);  // "添加(&A)..." of its menu
  HWND add = WaitForShownWindowWith(started.dwProcessId, 1049);
  ASSERT_NE(add, nullptr) << "the add dialog opens";
  for (wchar_t c : std::wstring(L"http://www.kezotab.test/page")) PostMessageW(GetDlgItem(add, 1049), WM_CHAR, c, 0);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(add, IDOK)) != FALSE; })) << "a text enables OK";
  PostMessageW(add, WM_COMMAND, IDOK, 0);
  HWND notice = WaitForShownWindowWith(started.dwProcessId, 1305);
  ASSERT_NE(notice, nullptr) << "the notice follows";
  PostMessageW(notice, WM_COMMAND, MAKEWPARAM(1305, STN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(notice, 1305)));
  ASSERT_TRUE(WaitFor([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == rows_before + 1; }));
  bool listed = false;
  for (int row = 0; row <= rows_before; ++row) listed = listed || ListViewText(list, row) == L"kezotab.test";
  EXPECT_TRUE(listed);
  Sleep(500);
  std::filesystem::create_directories(KEZO_SCREENSHOT_DIR);
  test_pictures::Write(std::filesystem::path(KEZO_SCREENSHOT_DIR) / "settings_centre_site_lists.png", Screenshot(settings));

  ClickTab(GetDlgItem(settings, 1033), 2);
  HWND words = ChildWithId(settings, 1039);
  ASSERT_TRUE(WaitFor([&] { return words != nullptr && IsWindowVisible(words) != FALSE; })) << "the keywords tab";
  Sleep(500);
  test_pictures::Write(std::filesystem::path(KEZO_SCREENSHOT_DIR) / "settings_centre_keywords.png", Screenshot(settings));

  ASSERT_TRUE(PostMessageW(main, kQuitMessage, 0, 0));
  EXPECT_EQ(WaitForSingleObject(started.hProcess, 60000), WAIT_OBJECT_0);
}

// The page of the settings centre that holds control `id`: a child dialog of the tab control.
HWND PageWith(HWND settings, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      GetDlgItem(settings, 1033),
      [](HWND child, LPARAM data) -> BOOL {
        auto* search = reinterpret_cast<Search*>(data);
        if (GetDlgItem(child, search->id) == nullptr) return TRUE;
        search->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

// KEZO.exe with its settings centre open, driven from this process by control number.
class SettingsCentreExeTest : public KezoExeTest {
 protected:
  static constexpr int kTab = 1033;

  void OpenSettings() {
    started_ = Start(L"KEZO.exe", L"-h");
    ASSERT_EQ(WaitForInputIdle(started_.hProcess, 60000), 0u);
    main_ = FindTitledWindowOf(started_.dwProcessId);
    ASSERT_NE(main_, nullptr);
    ASSERT_TRUE(PostMessageW(main_, WM_COMMAND, 32774, 0));
    settings_ = WaitForShownDialog(started_.dwProcessId, L"设置中心");
    ASSERT_NE(settings_, nullptr);
  }
  // Chooses tab `index` as a click on its caption does, and returns its page once shown.
  HWND ShowTab(int index, int control_on_page) {
    SendMessageW(GetDlgItem(settings_, kTab), TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
    HWND page = PageWith(settings_, control_on_page);
    EXPECT_TRUE(WaitFor([&] { return page != nullptr && IsWindowVisible(page); })) << "tab " << index;
    return page;
  }
  // A screenshot of the settings centre for people to look at, in the build folder.
  void Shoot(HWND window, const char* name) {
    Sleep(300);  // let the page draw
    test_pictures::Write(std::filesystem::current_path() / name, Screenshot(window));
  }
  void Quit() {
    PostMessageW(main_, kQuitMessage, 0, 0);
    EXPECT_EQ(WaitForSingleObject(started_.hProcess, 60000), WAIT_OBJECT_0);
  }

  PROCESS_INFORMATION started_{};
  HWND main_ = nullptr;
  HWND settings_ = nullptr;
};

TEST_F(SettingsCentreExeTest, TheBasicPageSavesItsBoxesAndTheTrayIconFollowsItsBox) {
  OpenSettings();
  HWND page = ShowTab(0, 1015);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(IsDlgButtonChecked(page, 1016), BST_CHECKED) << "修身 tips are on by default";
  EXPECT_EQ(IsDlgButtonChecked(page, 1023), BST_CHECKED);
  EXPECT_EQ(SendDlgItemMessageW(page, 1017, HKM_GETHOTKEY, 0, 0), 583) << "the hot-key field shows Ctrl+G";
  EXPECT_EQ(TextOf(GetDlgItem(page, 1089)), L"备份");
  Shoot(settings_, "settings_basic_page.png");

  SendDlgItemMessageW(page, 1015, BM_CLICK, 0, 0);
  SendDlgItemMessageW(page, 1024, BM_CLICK, 0, 0);
  SendDlgItemMessageW(page, 1014, BM_CLICK, 0, 0);
  EXPECT_EQ(ReadSetting(L"SKCalendarEnabled"), 1u) << "the calendar switch is written at once";
  ShowTab(4, 1058);
  EXPECT_EQ(ReadSetting(L"JieSeTip"), 1u) << "another tab saves the page";
  EXPECT_EQ(ReadSetting(L"MainCloseButtonIsHideForm"), 0u);

  NOTIFYICONDATAW icon = TrayIconChange(main_);
  ASSERT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &icon));
  page = ShowTab(0, 1021);
  SendDlgItemMessageW(page, 1021, BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !Shell_NotifyIconW(NIM_MODIFY, &icon); })) << "the tray icon goes at once";
  SendDlgItemMessageW(page, 1021, BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE; })) << "and comes back";
  Quit();
}

TEST_F(SettingsCentreExeTest, TheFilterPageSavesItsSwitchesAndResetEmptiesThePictureList) {
  std::ofstream(folder_ / "Data" / "URLList.txt", std::ios::binary) << "http://a.test/1.jpg\r\n";
  OpenSettings();
  HWND page = ShowTab(1, 1036);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(IsDlgButtonChecked(page, 1037), BST_CHECKED) << "强力过滤 is on by default";
  EXPECT_EQ(IsDlgButtonChecked(page, 1018), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1111))) << "HTTP only counts with 屏蔽所有网站";
  EXPECT_EQ(TextOf(GetDlgItem(page, 1045)), L"立即清除");
  Shoot(settings_, "settings_filter_page.png");

  SendDlgItemMessageW(page, 1035, BM_CLICK, 0, 0);
  EXPECT_EQ(TextOf(GetDlgItem(page, 1113)), L"所有网站均不显示图片") << "the mode text follows the box";
  SendDlgItemMessageW(page, 1018, BM_CLICK, 0, 0);
  SendDlgItemMessageW(page, 1089, BM_CLICK, 0, 0);
  EXPECT_EQ(FileText(folder_ / "Data" / "URLList.txt"), "") << "重置";
  ShowTab(4, 1058);
  EXPECT_EQ(ReadSetting(L"NonePicture"), 1u) << "another tab saves the page";
  EXPECT_EQ(ReadSetting(L"FilterAD"), 1u);
  EXPECT_NE(FileText(folder_ / "www" / "param.js").find("kezo_data.no_img='1'"), std::string::npos);
  Quit();
}

TEST_F(SettingsCentreExeTest, ThePasswordPageStoresTheLockDelay) {
  OpenSettings();
  HWND page = ShowTab(4, 1055);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(page, 1059)), L"您没有设置安全密码");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1056)));
  EXPECT_EQ(SendDlgItemMessageW(page, 1055, CB_GETCOUNT, 0, 0), 6);
  Shoot(settings_, "settings_password_page.png");
  SendDlgItemMessageW(page, 1055, CB_SETCURSEL, 5, 0);
  SendMessageW(page, WM_COMMAND, MAKEWPARAM(1055, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, 1055)));
  EXPECT_EQ(ReadSetting(L"LOCKDELAY"), 180u);
  Quit();
}

TEST_F(SettingsCentreExeTest, TheSmartMonitoringPageAndItsLearnedSites) {
  std::ofstream(folder_ / "Data" / "IntelligentDomain.txt", std::ios::binary) << "a.test\r\nb.test\r\n";
  OpenSettings();
  HWND page = ShowTab(5, 1308);
  ASSERT_NE(page, nullptr);
  HWND slider = GetDlgItem(page, 1308);
  EXPECT_TRUE(GetWindowLongW(slider, GWL_STYLE) & TBS_VERT);
  EXPECT_EQ(SendMessageW(slider, TBM_GETPOS, 0, 0), 2);
  EXPECT_EQ(TextOf(GetDlgItem(page, 1309)), L"【宽松】\n\n适合日常使用，会有部分不良网站遗漏掉");
  // A drag to the strict end, as the track bar reports it.
  SendMessageW(slider, TBM_SETPOS, TRUE, 0);
  SendMessageW(page, WM_VSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 0), reinterpret_cast<LPARAM>(slider));
  EXPECT_EQ(ReadSetting(L"IntelligentMonitor"), 0u);
  EXPECT_EQ(TextOf(GetDlgItem(page, 1309)), L"【严格】\n\n推荐使用，可能会有误过滤");
  Shoot(settings_, "settings_smart_monitoring_page.png");

  PostMessageW(page, WM_COMMAND, MAKEWPARAM(1306, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, 1306)));
  HWND sites = WaitForShownDialog(started_.dwProcessId, L"智能过滤网址");
  ASSERT_NE(sites, nullptr) << "the learned-sites dialog";
  HWND learned = GetDlgItem(sites, 1310);
  EXPECT_EQ(SendMessageW(learned, LB_GETCOUNT, 0, 0), 2);
  SendMessageW(learned, LB_SETCURSEL, 0, 0);
  SendMessageW(sites, WM_COMMAND, MAKEWPARAM(1310, LBN_DBLCLK), reinterpret_cast<LPARAM>(learned));
  EXPECT_EQ(SendMessageW(learned, LB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(SendDlgItemMessageW(sites, 1311, LB_GETCOUNT, 0, 0), 1) << "a.test is released";
  Sleep(700);  // the modal loop paints the frame after the lists
  Shoot(sites, "smart_monitoring_learned_sites.png");
  EXPECT_EQ(FileText(folder_ / "Data" / "IntelligentWhiteDomain.txt"), "a.test\r\n");
  PostMessageW(sites, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(sites); }));
  Quit();
}

// Another program holds Ctrl+G: one second after start the notice says so.
TEST_F(KezoExeTest, ATakenHotKeyShowsTheNoticeOneSecondAfterStart) {
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL, 'G'));
  PROCESS_INFORMATION started = Start(L"KEZO.exe", L"-h");
  HWND notice = WaitForShownDialog(started.dwProcessId, L"热键");
  EXPECT_NE(notice, nullptr) << "the notice";
  if (notice != nullptr) {
    EXPECT_EQ(TextOf(GetDlgItem(notice, 1305)), L"您设置的热键 【Ctrl + G】 被其他程序占用了，请到【设置中心】重新设置一个。");
    EXPECT_TRUE(GetWindowLongW(notice, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongW(notice, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    Sleep(300);
    test_pictures::Write(std::filesystem::current_path() / "hotkey_conflict_notice.png", Screenshot(notice));
    PostMessageW(notice, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(notice); })) << "OK closes it";
  }
  UnregisterHotKey(nullptr, 1);
  PostMessageW(FindTitledWindowOf(started.dwProcessId), kQuitMessage, 0, 0);
  EXPECT_EQ(WaitForSingleObject(started.hProcess, 60000), WAIT_OBJECT_0);
}

TEST_F(KezoExeTest, ASecondStartShowsTheRunningInstanceAndEnds) {
  PROCESS_INFORMATION first = Start(L"KEZO.exe", L"-h");
  ASSERT_EQ(WaitForInputIdle(first.hProcess, 60000), 0u);
  HWND window = FindTitledWindowOf(first.dwProcessId);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window)) << "-h starts hidden";
  ASSERT_TRUE(WaitFor([] { return ReadSetting(L"UDPPort") != 0; })) << "the channel's port is published";

  PROCESS_INFORMATION second = Start(L"KEZO.exe");
  ASSERT_EQ(WaitForSingleObject(second.hProcess, 60000), WAIT_OBJECT_0) << "the second start ends";
  EXPECT_TRUE(WaitFor([window] { return IsWindowVisible(window) != FALSE; })) << "and the first one shows itself";
  EXPECT_EQ(FindTitledWindowOf(second.dwProcessId), nullptr);

  ASSERT_TRUE(PostMessageW(window, kQuitMessage, 0, 0));
  ASSERT_EQ(WaitForSingleObject(first.hProcess, 60000), WAIT_OBJECT_0);
  EXPECT_EQ(ReadSetting(L"UDPPort"), 0u) << "a clean quit clears the channel's port";
}

// A quit taken while the load-failure message was shown destroyed the window inside its
// creation; the dialog came back as a dead handle and the program ran on without a window.
TEST_F(KezoExeTest, AQuitWhileTheLoadFailureMessageIsShownEndsTheProgram) {
  std::filesystem::remove(folder_ / "Images" / "7.png");
  PROCESS_INFORMATION started = Start(L"KEZO.exe");
  ASSERT_TRUE(WaitFor([&] { return FindWindowOf(started.dwProcessId, L"InitFilterNumber", L"#32770") != nullptr; }, 60))
      << "the load-failure message";
  ASSERT_TRUE(PostMessageW(FindTitledWindowOf(started.dwProcessId), kQuitMessage, 0, 0));
  EXPECT_EQ(WaitForSingleObject(started.hProcess, 60000), WAIT_OBJECT_0) << "the program ends";
}

TEST_F(KezoExeTest, LauncherRestartsAKilledMainProgramAndASecondLauncherEndsAtOnce) {
  std::filesystem::copy_file(TestProgramFolder() / "Launcher.exe", folder_ / "Launcher.exe");
  PROCESS_INFORMATION first = Start(L"KEZO.exe", L"-h");
  ASSERT_EQ(WaitForInputIdle(first.hProcess, 60000), 0u);
  ASSERT_TRUE(WaitFor([] { return ProcessIdsOf(L"Launcher.exe").size() == 1; })) << "KEZO starts its Launcher";

  PROCESS_INFORMATION extra = Start(L"Launcher.exe");
  ASSERT_EQ(WaitForSingleObject(extra.hProcess, 30000), WAIT_OBJECT_0) << "a second Launcher ends at once";
  DWORD code = 0;
  GetExitCodeProcess(extra.hProcess, &code);
  EXPECT_TRUE(code == 0xFFFFFFFFu || code == 0xFFu) << code;

  TerminateProcess(first.hProcess, 1);  // ended from outside
  WaitForSingleObject(first.hProcess, 10000);
  DWORD restarted = 0;
  ASSERT_TRUE(WaitFor([&] {
    std::vector<DWORD> ids = ProcessIdsOf(L"KEZO.exe");
    restarted = ids.empty() ? 0 : ids.front();
    return restarted != 0 && restarted != first.dwProcessId && FindTitledWindowOf(restarted) != nullptr;
  })) << "Launcher starts the main program again";

  // The user's quit ends both programs.
  ASSERT_TRUE(PostMessageW(FindTitledWindowOf(restarted), kQuitMessage, 0, 0));
  EXPECT_TRUE(WaitFor([] { return ProcessIdsOf(L"KEZO.exe").empty() && ProcessIdsOf(L"Launcher.exe").empty(); }));
}

// KEZO took any process named Launcher.exe for its companion: it adopted another vendor's
// and ended it at the user's quit.
TEST_F(KezoExeTest, AnotherProgramNamedLauncherElsewhereIsNeitherAdoptedNorEnded) {
  std::filesystem::copy_file(TestProgramFolder() / "Launcher.exe", folder_ / "Launcher.exe");
  std::filesystem::create_directories(folder_ / "elsewhere");
  std::filesystem::copy_file(TestProgramFolder() / "kezo_stub_updater.exe", folder_ / "elsewhere" / "Launcher.exe");
  PROCESS_INFORMATION other = Start(L"elsewhere\\Launcher.exe", L"--run-ms=120000");
  ASSERT_TRUE(WaitFor([] { return ProcessIdsOf(L"Launcher.exe").size() == 1; }));

  PROCESS_INFORMATION kezo = Start(L"KEZO.exe", L"-h");
  ASSERT_EQ(WaitForInputIdle(kezo.hProcess, 60000), 0u);
  ASSERT_TRUE(WaitFor([] { return ProcessIdsOf(L"Launcher.exe").size() == 2; })) << "KEZO starts its own Launcher";

  ASSERT_TRUE(PostMessageW(FindTitledWindowOf(kezo.dwProcessId), kQuitMessage, 0, 0));
  EXPECT_TRUE(WaitFor([] { return ProcessIdsOf(L"KEZO.exe").empty() && ProcessIdsOf(L"Launcher.exe").size() == 1; }))
      << "the user's quit ends its own Launcher";
  EXPECT_EQ(WaitForSingleObject(other.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the other program runs on";
  TerminateProcess(other.hProcess, 0);
}

// A top-level window of this (the test) program, closed the ordinary way on WM_CLOSE.
HWND OpenTestWindow(const wchar_t* title) {
  static const ATOM kind = [] {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"VeltraPatrolTarget";
    return RegisterClassW(&window_class);
  }();
  return CreateWindowExW(0, reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(kind)), title,
                         WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 160, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// Waits up to `seconds` for `condition`, answering the messages sent to this thread's
// windows meanwhile.
bool PumpUntil(const std::function<bool()>& condition, int seconds) {
  for (int i = 0; i < seconds * 50; ++i) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (condition()) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return false;
}

// With FormPatrol on, the running program asks another program's window whose title holds
// a banned word to close, and leaves an ordinary one alone.
TEST_F(KezoExeTest, TheWindowPatrolClosesAnotherProgramsWindowWithABannedTitle) {
  WriteListFile((folder_ / "Data" / "word.kezo").string(), {"色情"}, true);
  WriteSetting(L"FormPatrol", 1);
  HWND banned = OpenTestWindow(L"色情图片 - 测试窗口");
  HWND ordinary = OpenTestWindow(L"今日新闻 - 测试窗口");
  ASSERT_NE(banned, nullptr);
  ASSERT_NE(ordinary, nullptr);

  PROCESS_INFORMATION started = Start(L"KEZO.exe", L"-h");
  ASSERT_EQ(WaitForInputIdle(started.hProcess, 60000), 0u);
  EXPECT_TRUE(PumpUntil([banned] { return IsWindow(banned) == FALSE; }, 10)) << "closed within 10 s";
  // Two more passes of the patrol go by.
  PumpUntil([] { return false; }, 7);
  EXPECT_TRUE(IsWindow(ordinary)) << "an ordinary title stays";
  DestroyWindow(ordinary);

  ASSERT_TRUE(PostMessageW(FindTitledWindowOf(started.dwProcessId), kQuitMessage, 0, 0));
  EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(started.hProcess, 0) == WAIT_OBJECT_0; }, 60))
      << "the patrol does not hold up the quit";
}

// A copy of the distribution folder as scripts/package --check unpacks it from the zip,
// with the real Updater and Launcher beside KEZO.exe. Updater is pointed at an update host
// on this machine where nothing listens, so that nothing is fetched from outside.
class PackagedKezoExeTest : public KezoExeTest {
 protected:
  static constexpr wchar_t kLoadFailure[] = L"程序文件加载失败，请重新安装程序。";

  void SetUp() override {
    wchar_t package[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"KEZO_PACKAGE_DIR", package, MAX_PATH) == 0) {
      GTEST_SKIP() << "no distribution folder (scripts/package --check names one in KEZO_PACKAGE_DIR)";
    }
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no X display (DISPLAY is not set)";
    // The variable holds the host's path, which Wine shows on drive Z:.
    std::filesystem::path source = package[0] == L'/' ? std::filesystem::path(L"Z:" + std::wstring(package)) : package;
    ASSERT_TRUE(std::filesystem::exists(source / "KEZO.exe")) << source;
    folder_ = std::filesystem::temp_directory_path() / ("kezo-package-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::remove_all(folder_);
    std::filesystem::copy(source, folder_, std::filesystem::copy_options::recursive);
    std::ofstream(folder_ / "Data" / "UpdateHost.txt", std::ios::binary) << "http://127.0.0.1:9\r\n";
    ResetSettings();
    system_proxy_before_ = ReadSystemProxy();
  }
  void TearDown() override {
    EndAll(L"Updater.exe");
    KezoExeTest::TearDown();
  }
};

TEST_F(PackagedKezoExeTest, StartsWithAllItsPicturesAndPutsUpItsWindowAndTrayIcon) {
  PROCESS_INFORMATION started = Start(L"KEZO.exe");
  ASSERT_EQ(WaitForInputIdle(started.hProcess, 60000), 0u) << "the program reaches its message loop";
  HWND window = FindTitledWindowOf(started.dwProcessId);
  ASSERT_NE(window, nullptr) << "a top-level window titled Veltra";
  // A picture that fails to load stops the start in a message box, and the window is never
  // shown.
  EXPECT_TRUE(WaitFor([window] { return IsWindowVisible(window) != FALSE; })) << "the window shows";
  for (const std::wstring& text : DialogTextsOf(started.dwProcessId)) EXPECT_NE(text, kLoadFailure);
  NOTIFYICONDATAW icon = TrayIconChange(window);
  EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &icon)) << "the tray icon 128 of the window";

  ASSERT_TRUE(PostMessageW(window, kQuitMessage, 0, 0));
  ASSERT_EQ(WaitForSingleObject(started.hProcess, 60000), WAIT_OBJECT_0) << "the quit message ends the program";
  DWORD code = 1;
  GetExitCodeProcess(started.hProcess, &code);
  EXPECT_EQ(code, 0u);
}

// The check above can fail: a folder without one digit picture shows the message and, once
// it is answered, ends.
TEST_F(PackagedKezoExeTest, WithoutADigitPictureItSaysTheProgramFilesFailedToLoadAndEnds) {
  std::filesystem::remove(folder_ / "Images" / "7.png");
  PROCESS_INFORMATION started = Start(L"KEZO.exe");
  auto failure_shown = [&] {
    std::vector<std::wstring> texts = DialogTextsOf(started.dwProcessId);
    return std::find(texts.begin(), texts.end(), kLoadFailure) != texts.end();
  };
  ASSERT_TRUE(WaitFor(failure_shown, 60)) << "the load-failure message";
  HWND box = FindWindowOf(started.dwProcessId, L"InitFilterNumber", L"#32770");
  ASSERT_NE(box, nullptr) << "the message box";
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(WaitForSingleObject(started.hProcess, 60000), WAIT_OBJECT_0) << "the program ends";
}

}  // namespace
