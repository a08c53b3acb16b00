#include "platform/command_runner.h"

#include <windows.h>

#include "platform/code_page.h"
#include "platform/win32/wide_text.h"

namespace {

// Words of letters, digits and the usual switch characters go as they are; any other word
// is put in double quotes (file names, texts with blanks).
bool NeedsQuotes(std::u16string_view word) {
  if (word.empty()) return true;
  for (char16_t unit : word) {
    bool plain = (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') || (unit >= u'0' && unit <= u'9') ||
                 unit == u'/' || unit == u'-';
    if (!plain) return true;
  }
  return false;
}

class WindowsCommandRunner : public CommandRunner {
 public:
  bool Available(std::string_view program) override {
    std::wstring name = ToWideString(LocalToWide(program));
    wchar_t found[MAX_PATH];
    return SearchPathW(nullptr, name.c_str(), L".exe", MAX_PATH, found, nullptr) != 0;
  }

  std::optional<int> Run(const std::vector<std::u16string>& words, int timeout_ms) override {
    std::u16string line;
    for (const std::u16string& word : words) {
      if (!line.empty()) line += u' ';
      line += NeedsQuotes(word) ? u"\"" + word + u"\"" : word;
    }
    std::wstring command = ToWideString(line);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
      return std::nullopt;
    }
    CloseHandle(process.hThread);
    std::optional<int> result;
    if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeout_ms)) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process.hProcess, &code);
      result = static_cast<int>(code);
    } else {
      TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    return result;
  }
};

}  // namespace

CommandRunner& CommandRunner::System() {
  static WindowsCommandRunner runner;
  return runner;
}
