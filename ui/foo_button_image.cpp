#include "ui/foo_button_image.h"

#include <vector>

#include "ui/core/foo_button_layout.h"
#include "winkit/wk_gdi.h"

namespace {

unsigned to_rgb(COLORREF c) {
  return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

}  // namespace

SIZE foo_bitmap_size(HBITMAP bitmap) {
  BITMAP info = {};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info))
    return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

HBITMAP foo_grey_copy(HBITMAP source, COLORREF key) {
  SIZE size = foo_bitmap_size(source);
  if (size.cx <= 0 || size.cy <= 0)
    return nullptr;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = size.cx;
  bi.bmiHeader.biHeight = -size.cy;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<unsigned> pixels(static_cast<size_t>(size.cx) * size.cy);
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, source, 0, size.cy, pixels.data(), &bi, DIB_RGB_COLORS);
  void* bits = nullptr;
  HBITMAP grey =
      rows == size.cy ? CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  ReleaseDC(nullptr, screen);
  if (!grey || !bits) {
    if (grey)
      DeleteObject(grey);
    return nullptr;
  }
  unsigned key_rgb = key == kFooNoKey ? 0xFFFFFFFFu : to_rgb(key);
  auto* out = static_cast<unsigned*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i)
    out[i] = foo_disabled_pixel(pixels[i], key_rgb);
  return grey;
}

void foo_draw_bitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF key) {
  SIZE size = foo_bitmap_size(bitmap);
  if (size.cx <= 0 || size.cy <= 0)
    return;
  HDC source = CreateCompatibleDC(dc);
  if (!source)
    return;
  {
    WkSelectObject selected(source, bitmap);
    if (key == kFooNoKey)
      BitBlt(dc, x, y, size.cx, size.cy, source, 0, 0, SRCCOPY);
    else
      TransparentBlt(dc, x, y, size.cx, size.cy, source, 0, 0, size.cx, size.cy, key);
  }
  DeleteDC(source);
}
