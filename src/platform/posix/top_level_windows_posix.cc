#include "platform/top_level_windows.h"

namespace {

// The Linux program runs without a window system: no window of any title exists.
class NoWindows : public TopLevelWindows {
 public:
  bool BringToFront(std::u16string_view title) override { return false; }
  bool PostClose(std::u16string_view title) override { return false; }
  bool PostPrivateMessage(std::u16string_view title, uint32_t message) override { return false; }
};

}  // namespace

TopLevelWindows& TopLevelWindows::System() {
  static NoWindows windows;
  return windows;
}
