#pragma once

// Windows of the Windows tests: finding this thread's windows, and their pixels as a PNG
// for people to look at.
#include "framework/win32/windows_include.h"

#include <cstdint>
#include <functional>
#include <string>

#include "test_pictures.h"

// The first window of this thread for which `wanted` holds.
inline HWND FirstThreadWindow(const std::function<bool(HWND)>& wanted) {
  struct Search {
    const std::function<bool(HWND)>& wanted;
    HWND found;
  } search{wanted, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* search = reinterpret_cast<Search*>(data);
        if (!search->wanted(window)) return TRUE;
        search->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline HWND ThreadWindowTitled(const wchar_t* title) {
  return FirstThreadWindow([title](HWND window) {
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    return lstrcmpW(text, title) == 0;
  });
}

inline HWND ThreadWindowWithControl(int id) {
  return FirstThreadWindow([id](HWND window) { return GetDlgItem(window, id) != nullptr; });
}

// The window's pixels from the screen, as a PNG.
inline std::string Screenshot(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  std::string png = test_pictures::Png(width, height, [&](int x, int y) {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] & 0xFFFFFFu;
  });
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return png;
}
