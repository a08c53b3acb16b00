#include "platform/process_runner.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/code_page.h"
#include "platform/win32/wide_text.h"

namespace {

class WindowsProcessRunner : public ProcessRunner {
 public:
  bool Exists(std::string_view program) override {
    std::wstring path = ToWideString(LocalToWide(program));
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  std::optional<int> RunAndWait(std::string_view program, std::u16string_view arguments, bool shown) override {
    HANDLE process = Launch(program, arguments, shown);
    if (process == nullptr) return std::nullopt;
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return static_cast<int>(code);
  }

  bool Start(std::string_view program, std::u16string_view arguments, bool shown) override {
    HANDLE process = Launch(program, arguments, shown);
    if (process == nullptr) return false;
    CloseHandle(process);
    return true;
  }

 private:
  // The started process's handle, which the caller closes; nullptr on failure.
  static HANDLE Launch(std::string_view program, std::u16string_view arguments, bool shown) {
    std::wstring file = ToWideString(LocalToWide(program));
    std::wstring parameters = ToWideString(arguments);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = shown ? SW_SHOWNORMAL : SW_HIDE;
    if (!ShellExecuteExW(&info)) return nullptr;
    return info.hProcess;
  }
};

}  // namespace

ProcessRunner& ProcessRunner::System() {
  static WindowsProcessRunner runner;
  return runner;
}
