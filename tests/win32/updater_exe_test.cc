// The real Updater.exe, started from a program folder of its own under Wine and Xvfb
// against a local update host: the online-upgrade dialog with a newer release, the silent
// end of a hidden check without one, and a data update that unpacks an archive with the
// shipped 7z.exe from Updater's own folder whatever its working folder, and a second
// Updater that ends at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "framework/win32/windows_include.h"
#include "file_text.h"
#include "update_server.h"

namespace {

namespace fs = std::filesystem;

fs::path TestProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

struct Search {
  DWORD process;
  const wchar_t* title;
  HWND found;
};

HWND FindTitledWindowOf(DWORD process, const wchar_t* title) {
  Search search{process, title, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* search = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t text[128] = {};
        GetWindowTextW(window, text, 128);
        if (owner == search->process && lstrcmpW(text, search->title) == 0 && IsWindowVisible(window)) {
          search->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class UpdaterExeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no X display (DISPLAY is not set)";
    folder_ = fs::temp_directory_path() / ("updater-exe-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder_ / "Data");
    fs::copy_file(TestProgramFolder() / "Updater.exe", folder_ / "Updater.exe");
    fs::copy_file(TestProgramFolder() / "7z.exe", folder_ / "7z.exe");
    std::ofstream(folder_ / "Data" / "UpdateHost.txt") << server_.Base() << "\r\n";
    server_.Serve("/ckezo/SoftUpgrade.txt",
                  "[Setup]\r\nVersion=2.1\r\nDate=2026-12-01\r\nUrl=" + server_.Url("/setup.exe") + "\r\n");
  }
  void TearDown() override {
    if (process_.hProcess != nullptr) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
  }

  // Started in its own folder unless `working_folder` names another.
  void Start(const std::wstring& arguments, fs::path working_folder = {}) {
    if (working_folder.empty()) working_folder = folder_;
    std::wstring command = L"\"" + (folder_ / "Updater.exe").wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               working_folder.wstring().c_str(), &startup, &process_));
  }
  // The exit code once the program has ended by itself (within a minute), else -1.
  long ExitCode() {
    if (WaitForSingleObject(process_.hProcess, 60000) != WAIT_OBJECT_0) return -1;
    DWORD code = 1;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
  }

  UpdateServer server_;
  fs::path folder_;
  PROCESS_INFORMATION process_{};
};

TEST_F(UpdaterExeTest, ShowsTheUpgradeDialogForANewerReleaseAndEndsWhenClosed) {
  Start(L"-u -v=1.0");
  HWND dialog = nullptr;
  for (int i = 0; i < 600 && dialog == nullptr; ++i) {
    if (WaitForSingleObject(process_.hProcess, 100) == WAIT_OBJECT_0) break;
    dialog = FindTitledWindowOf(process_.dwProcessId, L"Veltra 在线升级");
  }
  ASSERT_NE(dialog, nullptr) << "a visible window titled Veltra 在线升级";
  wchar_t message[1024] = {};
  GetDlgItemTextW(dialog, 1004, message, 1024);
  EXPECT_NE(std::wstring(message).find(L"有更新版本!"), std::wstring::npos);
  EXPECT_NE(std::wstring(message).find(L"最新版本:2.1"), std::wstring::npos);
  wchar_t button[64] = {};
  GetDlgItemTextW(dialog, 1, button, 64);
  EXPECT_STREQ(button, L"安  装");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, 1002))) << "the progress bar waits for the download";

  PostMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_EQ(ExitCode(), 0);
}

TEST_F(UpdaterExeTest, AHiddenCheckWithoutANewerReleaseEndsSilently) {
  Start(L"-u -h -v=2.1.0.0");
  EXPECT_EQ(ExitCode(), 0);
  EXPECT_EQ(server_.Count("/ckezo/SoftUpgrade.txt"), 1);
  EXPECT_EQ(FindTitledWindowOf(process_.dwProcessId, L"Veltra 在线升级"), nullptr);
}

TEST_F(UpdaterExeTest, TheDataUpdateUnpacksAnArchiveWithTheShipped7z) {
  server_.Serve("/packs/words.7z", FileText(fs::path(KEZO_SOURCE_ROOT) / "tests/data/updater/words.7z"));
  std::string descriptor = "1\twords.7z\t1\t" + server_.Url("/packs/words.7z") + "\n";
  server_.Serve("/CKEZO/ConfigUpgrade.txt", descriptor);
  Start(L"", fs::temp_directory_path());  // the packs go to Updater's own folder all the same
  EXPECT_EQ(ExitCode(), 0);
  EXPECT_EQ(FileText(folder_ / "Data" / fs::path(u8"词表.txt")), "红色\n");
  EXPECT_EQ(FileText(folder_ / "Data" / "list.txt"), "plain\n");
  EXPECT_FALSE(fs::exists(folder_ / "words.7z"));
  EXPECT_EQ(FileText(folder_ / "Upgrade.kezo"), descriptor);
}

// The named token of a running Updater ends a second one at once, before it asks the host.
TEST_F(UpdaterExeTest, ASecondUpdaterEndsAtOnce) {
  server_.Serve("/CKEZO/ConfigUpgrade.txt", "0\tData\\plain.txt\t1\t" + server_.Url("/ckezo/SoftUpgrade.txt") + "\n");
  HANDLE running = CreateMutexW(nullptr, TRUE, L"VeltraUpdater");
  ASSERT_NE(running, nullptr);
  Start(L"");
  EXPECT_EQ(ExitCode(), 0);
  EXPECT_EQ(server_.Count("/CKEZO/ConfigUpgrade.txt"), 0);
  CloseHandle(running);
}

}  // namespace
