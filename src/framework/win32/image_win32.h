#pragma once

#include "framework/win32/windows_include.h"

#include <string_view>

#include "framework/image.h"

// A picture decoded by GDI+ into a bitmap that keeps its own drawing surface.
class Win32Image : public Image {
 public:
  Win32Image(HBITMAP bitmap, Size size) : bitmap_(bitmap), size_(size) {}
  ~Win32Image() override { DeleteObject(bitmap_); }
  Win32Image(const Win32Image&) = delete;
  Win32Image& operator=(const Win32Image&) = delete;

  Size GetSize() const override { return size_; }
  HBITMAP Bitmap() const { return bitmap_; }

 private:
  HBITMAP bitmap_;
  Size size_;
};

// Starts GDI+ for the process (once, on the user-interface thread).
void StartGdiPlus();
// Loads a picture file (BMP, PNG, JPEG, GIF); nullptr when it cannot be read.
ImagePtr LoadWin32Image(std::u16string_view path);
// Draws `image` at (x, y) of `dc` at its own size.
void DrawWin32Image(HDC dc, const Image& image, int x, int y);
