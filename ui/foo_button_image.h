// The bitmaps a FooButton draws: a resource bitmap, and a greyed copy for the disabled look.
#pragma once

#include "platform/win32/win.h"

// No key colour: the bitmap is drawn opaque.
inline constexpr COLORREF kFooNoKey = 0xFFFFFFFF;

// A 32-bit copy of the bitmap with each pixel greyed, the key colour kept; null on failure.
HBITMAP foo_grey_copy(HBITMAP source, COLORREF key);
// Draws the bitmap at (x, y), the key colour transparent (kFooNoKey: opaque).
void foo_draw_bitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF key);
SIZE foo_bitmap_size(HBITMAP bitmap);
