#include "winkit/wk_resource.h"

HINSTANCE WkResourceModule() {
  return GetModuleHandleW(nullptr);
}

std::wstring WkLoadString(UINT id) {
  const wchar_t* text = nullptr;
  // With a zero buffer size LoadStringW hands out a pointer into the resource itself.
  int length = LoadStringW(WkResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text ? std::wstring(text, length) : std::wstring();
}

HMENU WkLoadMenu(UINT id) {
  return LoadMenuW(WkResourceModule(), MAKEINTRESOURCEW(id));
}

HICON WkLoadIcon(UINT id, int size) {
  if (size <= 0)
    size = GetSystemMetrics(SM_CXICON);
  return static_cast<HICON>(LoadImageW(WkResourceModule(), MAKEINTRESOURCEW(id), IMAGE_ICON, size,
                                       size, LR_DEFAULTCOLOR));
}

int WkSmallIconSize() {
  return GetSystemMetrics(SM_CXSMICON);
}

HBITMAP WkLoadBitmap(UINT id) {
  return static_cast<HBITMAP>(LoadImageW(WkResourceModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0,
                                         0, LR_CREATEDIBSECTION));
}
