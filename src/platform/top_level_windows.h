#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/seam.h"

// Identifies one top-level window for as long as it exists (0: none). A window that has
// gone makes every call on its handle fail quietly.
using WindowHandle = uintptr_t;

// One top-level window as an enumeration found it.
struct TopLevelWindow {
  WindowHandle handle = 0;
  bool visible = false;
  bool has_parent = false;  // owned by another window (a dialog, a message box)
};

// What a window made of a close request.
enum class CloseAnswer {
  kAnswered,  // the window handled the request (it may still be open, asking a question)
  kNoAnswer,  // the window did not answer within the time limit, or is hung
  kGone,      // there is no such window any more
};

// Top-level windows of any program: found by their exact title, or all of them in turn for
// the window patrol. POSIX has none. Thread-safe.
//
// Nothing here waits on another program without a limit: a hung window never holds up the
// caller longer than the time limit it gives.
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

  // Every top-level window of the desktop, front to back.
  virtual std::vector<TopLevelWindow> Enumerate() = 0;
  // The title of `window`, at most `max_units` UTF-16 units; empty when it has none or is
  // gone. Sends the window nothing, so a hung window answers at once.
  virtual std::u16string ReadTitle(WindowHandle window, size_t max_units) = 0;
  // Sends `window` the close request and waits at most `timeout_ms` for it to be handled.
  virtual CloseAnswer RequestClose(WindowHandle window, uint32_t timeout_ms) = 0;
  // Makes `window` the foreground window; false when the system refuses or it is gone.
  virtual bool SetForeground(WindowHandle window) = 0;
  // The window the user works in now; 0 when none.
  virtual WindowHandle Foreground() = 0;
  // The process that owns `window`; 0 when it is gone.
  virtual uint32_t ProcessOf(WindowHandle window) = 0;
  // Posts an Enter key press (down, then up) to `window`.
  virtual void PostEnterKey(WindowHandle window) = 0;

  static TopLevelWindows& System();
};
