#include "platform/top_level_windows.h"

namespace {

// The Linux program runs without a window system: no window of any title exists.
class NoWindows : public TopLevelWindows {
 public:
  bool BringToFront(std::u16string_view title) override { return false; }
  bool PostClose(std::u16string_view title) override { return false; }
  bool PostPrivateMessage(std::u16string_view title, uint32_t message) override { return false; }
  std::vector<TopLevelWindow> Enumerate() override { return {}; }
  std::u16string ReadTitle(WindowHandle window, size_t max_units) override { return {}; }
  CloseAnswer RequestClose(WindowHandle window, uint32_t timeout_ms) override { return CloseAnswer::kGone; }
  bool SetForeground(WindowHandle window) override { return false; }
  WindowHandle Foreground() override { return 0; }
  uint32_t ProcessOf(WindowHandle window) override { return 0; }
  void PostEnterKey(WindowHandle window) override {}
};

}  // namespace

TopLevelWindows& TopLevelWindows::System() {
  static NoWindows windows;
  return windows;
}
