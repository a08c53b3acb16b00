#include "platform/top_level_windows.h"

#include <windows.h>

#include <vector>

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

  std::vector<TopLevelWindow> Enumerate() override {
    std::vector<TopLevelWindow> found;
    EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
          reinterpret_cast<std::vector<TopLevelWindow>*>(list)->push_back(
              TopLevelWindow{reinterpret_cast<WindowHandle>(window), IsWindowVisible(window) != FALSE,
                             GetParent(window) != nullptr});
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }

  std::u16string ReadTitle(WindowHandle window, size_t max_units) override {
    // InternalGetWindowText reads the stored caption and sends nothing, unlike
    // GetWindowText on a window of this process, which would wait for the window's thread.
    std::wstring text(max_units + 1, L'\0');
    int length = InternalGetWindowText(AsHwnd(window), text.data(), static_cast<int>(text.size()));
    return length > 0 ? FromWide(text.data(), static_cast<size_t>(length)) : std::u16string();
  }

  CloseAnswer RequestClose(WindowHandle window, uint32_t timeout_ms) override {
    HWND target = AsHwnd(window);
    if (!IsWindow(target)) return CloseAnswer::kGone;
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(target, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, timeout_ms, &result) != 0) {
      return CloseAnswer::kAnswered;
    }
    return IsWindow(target) ? CloseAnswer::kNoAnswer : CloseAnswer::kGone;
  }

  bool SetForeground(WindowHandle window) override {
    HWND target = AsHwnd(window);
    return IsWindow(target) && SetForegroundWindow(target) != FALSE;
  }

  WindowHandle Foreground() override { return reinterpret_cast<WindowHandle>(GetForegroundWindow()); }

  uint32_t ProcessOf(WindowHandle window) override {
    DWORD process = 0;
    if (GetWindowThreadProcessId(AsHwnd(window), &process) == 0) return 0;
    return process;
  }

  void PostEnterKey(WindowHandle window) override {
    HWND target = AsHwnd(window);
    PostMessageW(target, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(target, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
  }

 private:
  static HWND AsHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

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
