#include "platform/processes.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <optional>
#include <string>

#include "platform/program_file.h"
#include "platform/win32/wide_text.h"

namespace {

class WindowsProcess : public WatchedProcess {
 public:
  explicit WindowsProcess(HANDLE process) : process_(process) {}
  ~WindowsProcess() override { CloseHandle(process_); }
  void Wait() override { WaitForSingleObject(process_, INFINITE); }
  void Terminate(int exit_code) override { TerminateProcess(process_, static_cast<UINT>(exit_code)); }

 private:
  HANDLE process_;
};

std::wstring ProgramFolder() {
  std::wstring path = ToWideString(ProgramFilePath());
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

// The full path of the process's program file; nullopt when the process may not be asked.
std::optional<std::wstring> ImagePath(DWORD process_id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
  if (process == nullptr) return std::nullopt;
  std::wstring path(32768, L'\0');
  DWORD length = static_cast<DWORD>(path.size());
  BOOL asked = QueryFullProcessImageNameW(process, 0, path.data(), &length);
  CloseHandle(process);
  if (!asked) return std::nullopt;
  path.resize(length);
  return path;
}

class WindowsProcesses : public Processes {
 public:
  std::unique_ptr<WatchedProcess> OpenRunning(std::u16string_view image_name, OpenResult* result) override {
    *result = OpenResult::kNotRunning;
    std::wstring wanted = ToWideString(image_name);
    // A program of that name elsewhere (another vendor's Launcher.exe, say) is not ours:
    // only the file beside this program counts.
    std::wstring wanted_path = ProgramFolder() + L"\\" + wanted;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    std::unique_ptr<WatchedProcess> found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
      if (entry.th32ProcessID == GetCurrentProcessId() || lstrcmpiW(entry.szExeFile, wanted.c_str()) != 0) continue;
      std::optional<std::wstring> path = ImagePath(entry.th32ProcessID);
      if (!path) {
        *result = OpenResult::kAccessDenied;  // unless the one beside this program turns up
        continue;
      }
      if (lstrcmpiW(path->c_str(), wanted_path.c_str()) != 0) continue;
      HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
      if (process == nullptr) {
        *result = GetLastError() == ERROR_ACCESS_DENIED ? OpenResult::kAccessDenied : OpenResult::kFailed;
        break;
      }
      found = std::make_unique<WindowsProcess>(process);
      *result = OpenResult::kOpened;
    }
    CloseHandle(snapshot);
    return found;
  }

  std::unique_ptr<WatchedProcess> StartFromProgramFolder(std::u16string_view image_name, bool hidden) override {
    std::wstring folder = ProgramFolder();
    std::wstring command = L"\"" + folder + L"\\" + ToWideString(image_name) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = hidden ? SW_HIDE : SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, hidden ? CREATE_NO_WINDOW : 0, nullptr,
                        folder.c_str(), &startup, &process)) {
      return nullptr;
    }
    CloseHandle(process.hThread);
    return std::make_unique<WindowsProcess>(process.hProcess);
  }

  bool RestartSelf(bool elevated) override {
    std::wstring path = ToWideString(ProgramFilePath());
    std::wstring folder = ProgramFolder();
    HINSTANCE result = ShellExecuteW(nullptr, elevated ? L"runas" : L"open", path.c_str(), nullptr, folder.c_str(),
                                     SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
  }
};

}  // namespace

Processes& Processes::System() {
  static WindowsProcesses processes;
  return processes;
}
