// The setup program that scripts/package --check names in KEZO_SETUP_EXE, under Wine and
// Xvfb: a silent install into a scratch folder, the installed KEZO.exe, an upgrade in place
// with "/SILENT" while it runs, and the uninstaller that the lock and the forced mode guard.
// The wizard's first page is saved as a screenshot for people to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "framework/win32/windows_include.h"

#include <shlobj.h>

#include "config/profile_values.h"
#include "config/settings.h"
#include "core/desktop_integration.h"
#include "file_text.h"
#include "other_programs.h"
#include "rules/list_files.h"
#include "rules/text_list.h"
#include "system_proxy_reader.h"
#include "test_origin.h"
#include "test_pictures.h"
#include "win32_windows.h"

namespace {

namespace fs = std::filesystem;

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltra";
constexpr wchar_t kProfileKey[] = L"Software\\Solvane\\Veltra";
constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring UninstallValue(const wchar_t* name) {
  wchar_t text[512] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
    return L"(none)";
  }
  return text;
}

bool RunEntryExists() {
  return RegGetValueW(HKEY_LOCAL_MACHINE, kRunKey, L"kezo", RRF_RT_REG_SZ, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

fs::path StartMenuFolder() {
  wchar_t programs[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
  return fs::path(programs) / L"Veltra";
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t setup[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"KEZO_SETUP_EXE", setup, MAX_PATH) == 0) {
      GTEST_SKIP() << "no setup program (scripts/package --check names one in KEZO_SETUP_EXE)";
    }
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no X display (DISPLAY is not set)";
    // The variable holds the host's path, which Wine shows on drive Z:.
    setup_ = setup[0] == L'/' ? fs::path(L"Z:" + std::wstring(setup)) : fs::path(setup);
    ASSERT_TRUE(fs::exists(setup_)) << setup_;
    folder_ = fs::temp_directory_path() / ("veltra-install-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(folder_);
    RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
    WriteProfile(profile::kHttpPort, FreePort());
    WriteProfile(profile::kProxyPort, FreePort());
    WriteProfile(profile::kFirstRun, 1);
  }
  void TearDown() override {
    EndAll(L"Launcher.exe");
    EndAll(L"KEZO.exe");
    EndAll(L"Updater.exe");
    DesktopIntegration desktop;
    desktop.SetAutostart(false);
    desktop.RemoveSystemProxy();
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
    std::error_code ignored;
    fs::remove_all(StartMenuFolder(), ignored);
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
  }

  // Runs `program` with `arguments` in `working_folder` and returns its exit code.
  static DWORD RunAndWait(const fs::path& program, const std::wstring& arguments, const fs::path& working_folder) {
    PROCESS_INFORMATION started = Start(program, arguments, working_folder);
    if (started.hProcess == nullptr) return 0xDEAD;
    WaitForSingleObject(started.hProcess, 120000);
    DWORD code = 0xDEAD;
    GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hProcess);
    return code;
  }
  static PROCESS_INFORMATION Start(const fs::path& program, const std::wstring& arguments, const fs::path& working_folder) {
    std::wstring command = L"\"" + program.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    EXPECT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               working_folder.wstring().c_str(), &startup, &started));
    if (started.hThread != nullptr) CloseHandle(started.hThread);
    return started;
  }
  DWORD Uninstall(const std::wstring& arguments) {
    // "_?=" runs the uninstaller in place and lets it answer with its exit code.
    return RunAndWait(folder_ / "uninstall.exe", L"/S " + arguments + L" _?=" + folder_.wstring(), folder_);
  }
  // The installed KEZO.exe's main window, once it shows.
  static HWND KezoWindow() {
    HWND found = nullptr;
    WaitFor([&found] {
      for (DWORD id : ProcessIdsOf(L"KEZO.exe")) {
        HWND window = FindWindowOf(id, L"Veltra");
        if (window != nullptr && IsWindowVisible(window)) found = window;
      }
      return found != nullptr;
    }, 60);
    return found;
  }
  bool UserBlackListHas(const std::string& site) {
    CMyList list((folder_ / "Data" / "UserBlackDomain.kezo").string(), list_files::kUserBlackDomain.scrambled,
                 list_files::kUserBlackDomain.max_length, list_files::kUserBlackDomain.min_length);
    list.Load(true);
    return list.Contains(site);
  }

  fs::path setup_;
  fs::path folder_;
};

TEST_F(InstallerTest, TheWizardOpensOnItsChineseWelcomePage) {
  PROCESS_INFORMATION started = Start(setup_, L"", setup_.parent_path());
  ASSERT_NE(started.hProcess, nullptr);
  HWND page = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    page = FindTopWindowOf(started.dwProcessId, [](HWND window) { return IsWindowVisible(window) != FALSE; });
    return page != nullptr;
  }));
  wchar_t title[128] = {};
  GetWindowTextW(page, title, 128);
  EXPECT_EQ(std::wstring(title), L"Veltra 安装");
  Sleep(1000);  // the page's first painting
  fs::create_directories(KEZO_SCREENSHOT_DIR);
  test_pictures::Write(fs::path(KEZO_SCREENSHOT_DIR) / "installer_welcome_page.png", Screenshot(page));
  PostMessageW(page, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(started.hProcess, 30000), WAIT_OBJECT_0) << "closing the wizard ends it";
  CloseHandle(started.hProcess);
  EXPECT_FALSE(fs::exists(folder_));
}

TEST_F(InstallerTest, InstallsUpgradesInPlaceWhileRunningAndUninstallsOnlyWhenTheLockAndTheForcedModeAllow) {
  ASSERT_EQ(RunAndWait(setup_, L"/SILENT /NOSTART /D=" + folder_.wstring(), setup_.parent_path()), 0u);
  for (const char* file : {"KEZO.exe", "Launcher.exe", "Updater.exe", "7z.exe", "uninstall.exe", "startup.xml",
                           "7z-notice.txt", "licences/zlib.txt", "Data/word.kezo", "Data/UserBlackDomain.kezo",
                           "www/404.htm", "Images/0.png"}) {
    EXPECT_TRUE(fs::exists(folder_ / file)) << file;
  }
  EXPECT_TRUE(ProcessIdsOf(L"KEZO.exe").empty()) << "/NOSTART";
  EXPECT_TRUE(fs::exists(StartMenuFolder() / L"Veltra.lnk"));
  EXPECT_EQ(UninstallValue(L"DisplayName"), L"Veltra");
  EXPECT_EQ(UninstallValue(L"Publisher"), L"Solvane");
  EXPECT_EQ(UninstallValue(L"DisplayVersion").find(L"1."), 0u);
  EXPECT_EQ(UninstallValue(L"UninstallString"), L"\"" + (folder_ / "uninstall.exe").wstring() + L"\"");
  EXPECT_EQ(UninstallValue(L"InstallLocation"), folder_.wstring());
  DWORD size_kb = 0, size = sizeof size_kb;
  RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, L"EstimatedSize", RRF_RT_REG_DWORD, nullptr, &size_kb, &size);
  EXPECT_GT(size_kb, 1000u);

  // The installed program, with autostart on; nothing is fetched from outside.
  std::ofstream(folder_ / "Data" / "UpdateHost.txt", std::ios::binary) << "http://127.0.0.1:9\r\n";
  PROCESS_INFORMATION first = Start(folder_ / "KEZO.exe", L"", folder_);
  ASSERT_NE(KezoWindow(), nullptr) << "the installed program shows its window";
  // A site blocked from the in-page toolbar goes into the user's black list.
  uint16_t control_port = static_cast<uint16_t>(ReadProfile(profile::kHttpPort));
  ASSERT_TRUE(WaitFor([&] {
    TestClient client(control_port);
    return client.Send("GET /x.black?xyz=http://www.kept.example/ HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n") &&
           client.ReadToEnd().find("done") != std::string::npos;
  }));
  ASSERT_TRUE(UserBlackListHas("kept.example"));
  // The start entry of the Run key, which Wine's task scheduler cannot stand in for: the
  // uninstaller switches autostart off as the program does, which removes both.
  HKEY run = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &run, nullptr),
            ERROR_SUCCESS);
  std::wstring entry = L"\"" + (folder_ / "KEZO.exe").wstring() + L"\" -h";
  RegSetValueExW(run, L"kezo", 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.c_str()),
                 static_cast<DWORD>((entry.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(run);
  ASSERT_TRUE(DesktopIntegration().IsAutostartOn() || RunEntryExists());

  // The program update's way: the downloaded update.exe, started in the program folder.
  WriteFileText(folder_ / "www" / "404.htm", "changed");
  WriteFileText(folder_ / "Upgrade.kezo", "old descriptor");
  fs::copy_file(setup_, folder_ / "update.exe");
  ASSERT_EQ(RunAndWait(folder_ / "update.exe", L"/SILENT", folder_), 0u);
  EXPECT_EQ(WaitForSingleObject(first.hProcess, 0), WAIT_OBJECT_0) << "the running program was asked to end";
  CloseHandle(first.hProcess);
  EXPECT_NE(FileText(folder_ / "www" / "404.htm"), "changed") << "shipped files are replaced";
  EXPECT_FALSE(fs::exists(folder_ / "Upgrade.kezo")) << "the next data update fetches every pack";
  EXPECT_TRUE(UserBlackListHas("kept.example")) << "the user's list survives";
  EXPECT_EQ(ReadProfile(profile::kFirstRun), 1) << "and so does the profile";
  ASSERT_NE(KezoWindow(), nullptr) << "the program runs again";

  // The lock: asked in its own prompt, then the uninstaller's pages; cancelled there.
  WriteProfile(profile::kPASSWORD, ScramblePassword(u"secret1"));
  PROCESS_INFORMATION asking = Start(folder_ / "uninstall.exe", L"_?=" + folder_.wstring(), folder_);
  HWND prompt = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    for (DWORD id : ProcessIdsOf(L"KEZO.exe")) {
      if (HWND window = FindWindowOf(id, L"验证密码"); window != nullptr && IsWindowVisible(window)) prompt = window;
    }
    return prompt != nullptr;
  })) << "the lock's prompt";
  Sleep(800);  // its first painting
  test_pictures::Write(fs::path(KEZO_SCREENSHOT_DIR) / "uninstall_password_prompt.png", Screenshot(prompt));
  SetDlgItemTextW(prompt, 1053, L"secret1");
  PostMessageW(prompt, WM_COMMAND, IDOK, 0);
  HWND wizard = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    wizard = FindTopWindowOf(asking.dwProcessId, [](HWND window) { return IsWindowVisible(window) != FALSE; });
    return wizard != nullptr;
  })) << "the right password opens the uninstaller's pages";
  Sleep(500);
  PostMessageW(wizard, WM_COMMAND, IDOK, 0);  // past the confirmation page
  SetForegroundWindow(wizard);
  Sleep(1500);
  // What the prompt left on the screen where the page was not yet painted goes.
  RedrawWindow(wizard, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(300);
  test_pictures::Write(fs::path(KEZO_SCREENSHOT_DIR) / "uninstall_components_page.png", Screenshot(wizard));
  PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(WaitForSingleObject(asking.hProcess, 30000), WAIT_OBJECT_0);
  CloseHandle(asking.hProcess);
  EXPECT_TRUE(fs::exists(folder_ / "KEZO.exe")) << "cancelled, nothing is removed";

  // Silently, no password or a wrong one refuses.
  EXPECT_EQ(Uninstall(L""), 3u);
  EXPECT_EQ(Uninstall(L"/PASSWORD=secret2"), 3u);
  // The forced mode refuses while minutes remain, the right password or not.
  WriteProfile(profile::kSoftMode, 1);
  WriteProfile(profile::kTimeRemaining, 30);
  EXPECT_EQ(Uninstall(L"/PASSWORD=secret1"), 4u);
  EXPECT_TRUE(fs::exists(folder_ / "KEZO.exe"));
  EXPECT_NE(KezoWindow(), nullptr) << "a refused uninstall leaves the program running";
  // Nor is the setup program a way to quit a bound program.
  ASSERT_EQ(RunAndWait(setup_, L"/SILENT /NOSTART", setup_.parent_path()), 0u);
  EXPECT_NE(KezoWindow(), nullptr) << "started again despite /NOSTART";
  WriteProfile(profile::kSoftMode, 0);

  // A program killed from outside leaves the proxy setting at its dead port; the
  // uninstaller removes it all the same.
  EndAll(L"Launcher.exe");
  EndAll(L"KEZO.exe");
  ASSERT_TRUE(ReadSystemProxy().flags & PROXY_TYPE_PROXY);
  EXPECT_EQ(Uninstall(L"/PASSWORD=secret1"), 0u);
  for (const char* file : {"KEZO.exe", "Launcher.exe", "Updater.exe", "update.exe", "Data/word.kezo", "www", "Images",
                           "licences"}) {
    EXPECT_FALSE(fs::exists(folder_ / file)) << file;
  }
  EXPECT_FALSE(fs::exists(StartMenuFolder()));
  EXPECT_EQ(UninstallValue(L"DisplayName"), L"(none)");
  EXPECT_FALSE(DesktopIntegration().IsAutostartOn());
  EXPECT_FALSE(RunEntryExists());
  SystemProxyState proxy = ReadSystemProxy();
  EXPECT_FALSE(proxy.flags & PROXY_TYPE_PROXY);
  EXPECT_EQ(proxy.server, L"");
  EXPECT_TRUE(UserBlackListHas("kept.example")) << "the user's lists stay unless asked";

  // Asked, they go too.
  EXPECT_EQ(Uninstall(L"/REMOVELISTS"), 0u);
  std::set<std::wstring> left;
  for (const fs::directory_entry& file : fs::recursive_directory_iterator(folder_)) {
    left.insert(fs::relative(file.path(), folder_).wstring());
  }
  // The uninstaller that ran in place, and a file that is nobody's but the deployer's.
  EXPECT_EQ(left, (std::set<std::wstring>{L"uninstall.exe", L"Data", L"Data\\UpdateHost.txt"}));
}

}  // namespace
