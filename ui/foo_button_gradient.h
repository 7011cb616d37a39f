// "GradientFill", loaded from the imaging library while any FooButton exists.
#pragma once

#include "platform/win32/win.h"

class FooButtonGradient {
 public:
  // Counted: the first acquire loads the library, the last release frees it.
  static void Acquire();
  static void Release();
  static bool Loaded();
  // A vertical gradient from top to bottom colour; a plain fill when not loaded.
  static void Fill(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom);
};
