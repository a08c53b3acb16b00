#pragma once

#include <cstdint>

// The document-host rules of every embedded browser pane: what GetHostInfo reports (the
// flags "no 3-D border", 4, and "no scroll bars", 8), and which keys the pane swallows
// instead of the engine (a key-down with Control held and O, P or N: no open-file, print or
// new-window from the keyboard).
inline constexpr uint32_t kBrowserHostFlags = 0x4 | 0x8;

inline bool BrowserSwallowsAccelerator(bool key_down, bool control_down, uint32_t virtual_key) {
  return key_down && control_down && (virtual_key == 'O' || virtual_key == 'P' || virtual_key == 'N');
}
