#pragma once

#include <cstdint>
#include <string_view>

#include "base/seam.h"

// Top-level windows of any program, found by their exact title. POSIX has none. Thread-safe.
class TopLevelWindows : public Seam<TopLevelWindows> {
 public:
  virtual ~TopLevelWindows() = default;

  // Brings the window titled `title` to the front; false when there is none.
  virtual bool BringToFront(std::u16string_view title) = 0;
  // Asks the window titled `title` to close (posts the close message); false when there is
  // none.
  virtual bool PostClose(std::u16string_view title) = 0;
  // Posts the private message `message` (no parameters) to the window titled `title`;
  // false when there is none.
  virtual bool PostPrivateMessage(std::u16string_view title, uint32_t message) = 0;

  static TopLevelWindows& System();
};
