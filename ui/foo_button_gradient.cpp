#include "ui/foo_button_gradient.h"

namespace {

using GradientFillProc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

int g_users = 0;
HMODULE g_library = nullptr;
GradientFillProc g_gradient_fill = nullptr;

COLOR16 channel(BYTE value) {
  return static_cast<COLOR16>(value << 8);
}

}  // namespace

void FooButtonGradient::Acquire() {
  if (g_users++ > 0)
    return;
  g_library = LoadLibraryExW(L"msimg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (g_library)
    g_gradient_fill = reinterpret_cast<GradientFillProc>(
        reinterpret_cast<void*>(GetProcAddress(g_library, "GradientFill")));
}

void FooButtonGradient::Release() {
  if (g_users <= 0 || --g_users > 0)
    return;
  g_gradient_fill = nullptr;
  if (g_library)
    FreeLibrary(g_library);
  g_library = nullptr;
}

bool FooButtonGradient::Loaded() {
  return g_gradient_fill != nullptr;
}

void FooButtonGradient::Fill(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
  if (!g_gradient_fill) {
    HBRUSH brush = CreateSolidBrush(top);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
    return;
  }
  TRIVERTEX v[2] = {};
  v[0].x = rect.left, v[0].y = rect.top;
  v[0].Red = channel(GetRValue(top)), v[0].Green = channel(GetGValue(top));
  v[0].Blue = channel(GetBValue(top));
  v[1].x = rect.right, v[1].y = rect.bottom;
  v[1].Red = channel(GetRValue(bottom)), v[1].Green = channel(GetGValue(bottom));
  v[1].Blue = channel(GetBValue(bottom));
  GRADIENT_RECT gradient = {0, 1};
  g_gradient_fill(dc, v, 2, &gradient, 1, GRADIENT_FILL_RECT_V);
}
