#include "platform/archive_tool.h"

#include <windows.h>

#include <string>

#include "platform/code_page.h"
#include "platform/win32/wide_text.h"

namespace {

// "7z.exe" of the working folder (the program folder), started hidden.
class SevenZipExe : public ArchiveTool {
 public:
  bool ExtractFlat(std::string_view archive, std::string_view folder) override {
    // "e" drops the folder paths of the entries. 7-Zip reads "*.*" as every name, dotted or
    // not, but only at the archive's top level unless "-r" asks for every depth.
    return Run(u" e \"" + LocalToWide(archive) + u"\" -o\"" + LocalToWide(folder) + u"\" *.* -r -y");
  }

  bool ArchiveFolder(std::string_view archive, std::string_view folder) override {
    return Run(u" a -t7z -y \"" + LocalToWide(archive) + u"\" \"" + LocalToWide(folder) + u"\"");
  }

 private:
  // Whether the tool ran with `parameters` and ended with status 0 within the bound. The
  // process is created directly (not through the shell), so that any thread may run it.
  static bool Run(const std::u16string& parameters) {
    wchar_t folder[MAX_PATH] = {};
    DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return false;
    std::wstring program = std::wstring(folder) + L"\\7z.exe";
    std::wstring command = L"\"" + program + L"\"" + ToWideString(parameters);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
      return false;
    }
    CloseHandle(process.hThread);
    DWORD code = 1;
    if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(kTimeoutMs)) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.hProcess, &code);
    } else {
      TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    return code == 0;
  }
};

}  // namespace

ArchiveTool& ArchiveTool::System() {
  static SevenZipExe tool;
  return tool;
}
