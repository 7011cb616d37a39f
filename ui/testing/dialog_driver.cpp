#include "ui/testing/dialog_driver.h"

#include <cstdint>
#include <thread>
#include <vector>

#include "platform/win32/scoped_handle.h"
#include "winkit/testing/window_probe.h"

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

std::wstring answer_delete_question(int button, const std::function<void()>& ask, DWORD wait_ms) {
  std::wstring question;
  std::thread answer([button, wait_ms, &question] {
    HWND box =
        wait_for_window([] { return FindWindowW(L"#32770", L"Confirm File Delete?"); }, wait_ms);
    if (!box)
      return;
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    question = text;
    PostMessageW(box, WM_COMMAND, button, 0);
  });
  ask();
  answer.join();
  return question;
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
  WkLiftedWindow lifted(hwnd);
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
  WkPixels pixels = WkScreenPixels(r);
  if (pixels.empty())
    return false;
  // Bottom-up rows of blue, green, red, each padded to four bytes.
  int stride = (pixels.width * 3 + 3) & ~3;
  std::vector<uint8_t> bits(static_cast<size_t>(stride) * pixels.height);
  for (int y = 0; y < pixels.height; ++y) {
    uint8_t* row = bits.data() + static_cast<size_t>(pixels.height - 1 - y) * stride;
    for (int x = 0; x < pixels.width; ++x) {
      uint32_t v = pixels.rgb[static_cast<size_t>(y) * pixels.width + x];
      row[3 * x] = v & 0xFF;
      row[3 * x + 1] = (v >> 8) & 0xFF;
      row[3 * x + 2] = (v >> 16) & 0xFF;
    }
  }
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = pixels.width;
  header.biHeight = pixels.height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  DWORD size = static_cast<DWORD>(bits.size());
  BITMAPFILEHEADER file = {0x4d42, static_cast<DWORD>(sizeof file + sizeof header + size), 0, 0,
                           static_cast<DWORD>(sizeof file + sizeof header)};
  platform::ScopedFileHandle out(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return out && WriteFile(out.get(), &file, sizeof file, &written, nullptr) &&
         WriteFile(out.get(), &header, sizeof header, &written, nullptr) &&
         WriteFile(out.get(), bits.data(), size, &written, nullptr);
}

}  // namespace dlg_testing
