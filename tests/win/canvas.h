// A window's client area painted into a 32-bit bitmap, for tests that read pixels.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>

namespace vemora::testing {

// A 32-bit bitmap the size of a window's client area, painted by `paint`.
class Canvas {
 public:
  Canvas(HWND window, const std::function<void(HDC)>& paint) {
    RECT client{};
    GetClientRect(window, &client);
    width = client.right;
    height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ =
        CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
    paint(dc_);
    GdiFlush();
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  COLORREF At(int x, int y) const {
    const uint32_t pixel = bits_[y * width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  }
  // Pixels of the colour in the rectangle [left, right) × [top, bottom).
  int Count(COLORREF colour, int left, int top, int right, int bottom) const {
    int count = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, height); ++y)
      for (int x = std::max(left, 0); x < std::min(right, width); ++x) count += At(x, y) == colour;
    return count;
  }
  int width = 0, height = 0;

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
};

}  // namespace vemora::testing
