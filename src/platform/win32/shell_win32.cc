#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/wide_text.h"

namespace {

class WindowsShell : public Shell {
 public:
  bool Open(std::u16string_view target) override {
    std::wstring wide = ToWideString(target);
    HINSTANCE result = ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
  }
};

}  // namespace

Shell& Shell::System() {
  static WindowsShell shell;
  return shell;
}
