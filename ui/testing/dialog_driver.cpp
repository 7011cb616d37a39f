#include "ui/testing/dialog_driver.h"

#include "platform/win32/scoped_handle.h"

namespace dlg_testing {

HWND wait_for_window(const std::function<HWND()>& find, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND hwnd = find())
      return hwnd;
    if (GetTickCount() - start > timeout_ms)
      return nullptr;
    Sleep(50);
  }
}

std::wstring window_text(HWND hwnd) {
  wchar_t buf[4096] = {};
  SendMessageW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf));
  return buf;
}

HWND find_message_box(HWND owner, std::wstring* text) {
  HWND box = nullptr;
  while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr))) {
    if (GetWindow(box, GW_OWNER) != owner || !IsWindowVisible(box))
      continue;
    HWND child = nullptr;
    while ((child = FindWindowExW(box, child, L"Static", nullptr))) {
      std::wstring t = window_text(child);
      if (!t.empty() && text)
        *text = t;
    }
    return box;
  }
  return nullptr;
}

void press(HWND dlg, int id) {
  PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

void pump_messages(HWND dlg) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (dlg && IsWindow(dlg) && IsDialogMessageW(dlg, &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

int count_on_screen(HWND hwnd, COLORREF colour) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT r = {};
  GetWindowRect(hwnd, &r);
  HDC screen = GetDC(nullptr);
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      n += GetPixel(screen, x, y) == colour;
  ReleaseDC(nullptr, screen);
  return n;
}

std::wstring shot_dir() {
  wchar_t dir[MAX_PATH] = {};
  GetEnvironmentVariableW(L"QEL_SHOT_DIR", dir, MAX_PATH);
  return dir;
}

bool save_window_bmp(HWND hwnd, const std::wstring& path) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT r = {};
  GetWindowRect(hwnd, &r);
  int w = r.right - r.left;
  int h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bitmap);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  DWORD size = static_cast<DWORD>(((w * 3 + 3) & ~3) * h);
  BITMAPFILEHEADER file = {0x4d42, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader + size),
                           0, 0, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader)};
  platform::ScopedFileHandle out(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  bool ok = out && bits && WriteFile(out.get(), &file, sizeof file, &written, nullptr) &&
            WriteFile(out.get(), &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
            WriteFile(out.get(), bits, size, &written, nullptr);
  out.reset();
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace dlg_testing
