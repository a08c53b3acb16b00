#include "platform/top_level_windows.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace {

class WindowsTopLevelWindows : public TopLevelWindows {
 public:
  bool BringToFront(std::u16string_view title) override {
    HWND window = Find(title);
    if (window == nullptr) return false;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    return true;
  }

  bool PostClose(std::u16string_view title) override {
    HWND window = Find(title);
    return window != nullptr && PostMessageW(window, WM_CLOSE, 0, 0);
  }

  bool PostPrivateMessage(std::u16string_view title, uint32_t message) override {
    HWND window = Find(title);
    return window != nullptr && PostMessageW(window, message, 0, 0);
  }

 private:
  static HWND Find(std::u16string_view title) {
    std::wstring wide = ToWideString(title);
    return FindWindowW(nullptr, wide.c_str());
  }
};

}  // namespace

TopLevelWindows& TopLevelWindows::System() {
  static WindowsTopLevelWindows windows;
  return windows;
}
