#include "framework/win32/image_win32.h"

#include <objidl.h>
#include <propidl.h>
#include <gdiplus.h>

#include <string>

#include "platform/win32/wide_text.h"

void StartGdiPlus() {
  static ULONG_PTR token = [] {
    ULONG_PTR started = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&started, &input, nullptr);
    return started;
  }();
  (void)token;
}

ImagePtr LoadWin32Image(std::u16string_view path) {
  StartGdiPlus();
  std::wstring file = ToWideString(path);
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (Gdiplus::DllExports::GdipCreateBitmapFromFile(file.c_str(), &bitmap) != Gdiplus::Ok || bitmap == nullptr) {
    return nullptr;
  }
  UINT width = 0, height = 0;
  Gdiplus::DllExports::GdipGetImageWidth(bitmap, &width);
  Gdiplus::DllExports::GdipGetImageHeight(bitmap, &height);
  HBITMAP handle = nullptr;
  Gdiplus::Status status = Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(bitmap, &handle, 0xFFFFFFFF);
  Gdiplus::DllExports::GdipDisposeImage(bitmap);
  if (status != Gdiplus::Ok || handle == nullptr || width == 0 || height == 0) {
    if (handle != nullptr) DeleteObject(handle);
    return nullptr;
  }
  return std::make_shared<Win32Image>(handle, Size{static_cast<int>(width), static_cast<int>(height)});
}

void DrawWin32Image(HDC dc, const Image& image, int x, int y) {
  const auto& picture = static_cast<const Win32Image&>(image);
  HDC source = CreateCompatibleDC(dc);
  if (source == nullptr) return;
  HGDIOBJ previous = SelectObject(source, picture.Bitmap());
  Size size = picture.GetSize();
  BitBlt(dc, x, y, size.width, size.height, source, 0, 0, SRCCOPY);
  SelectObject(source, previous);
  DeleteDC(source);
}
