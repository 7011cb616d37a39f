#include "winkit/testing/window_probe.h"

#include <functional>

#include "platform/win32/scoped_handle.h"
#include "winkit/wk_gdi.h"
// After the gateway: commctrl.h and shellapi.h need windows.h first.
#include <commctrl.h>
#include <shellapi.h>

COLORREF WkPixels::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height)
    return CLR_INVALID;
  uint32_t v = rgb[static_cast<size_t>(y) * width + x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

bool WkPixels::contains(COLORREF colour, const RECT& area) const {
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (at(x, y) == colour)
        return true;
  return false;
}

int WkPixels::count(COLORREF colour) const {
  int n = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      n += at(x, y) == colour;
  return n;
}

WkPixels WkBitmapPixels(HBITMAP bitmap) {
  WkPixels pixels;
  BITMAP info = {};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info))
    return pixels;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = info.bmWidth;
  bi.bmiHeader.biHeight = -info.bmHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  pixels.width = info.bmWidth;
  pixels.height = info.bmHeight;
  pixels.rgb.resize(static_cast<size_t>(info.bmWidth) * info.bmHeight);
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, bitmap, 0, info.bmHeight, pixels.rgb.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != info.bmHeight)
    return WkPixels();
  for (uint32_t& v : pixels.rgb)
    v &= 0xFFFFFF;
  return pixels;
}

namespace {

// Paints into a memory DC compatible with the screen and reads its pixels back.
WkPixels paint_and_read(int width,
                        int height,
                        const std::function<void(HDC memory, HDC screen)>& paint) {
  HDC screen = GetDC(nullptr);
  WkPixels pixels;
  {
    WkMemoryDC memory(screen, width, height);
    if (memory.valid()) {
      paint(memory.dc(), screen);
      GdiFlush();
      // The bitmap must leave the DC before its bits are read.
      HBITMAP scratch = CreateCompatibleBitmap(screen, 1, 1);
      HGDIOBJ held = SelectObject(memory.dc(), scratch);
      pixels = WkBitmapPixels(static_cast<HBITMAP>(held));
      SelectObject(memory.dc(), held);
      DeleteObject(scratch);
    }
  }
  ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace

WkPixels WkRenderClient(HWND hwnd, COLORREF background) {
  RECT client = {};
  if (!GetClientRect(hwnd, &client) || client.right <= 0 || client.bottom <= 0)
    return WkPixels();
  return paint_and_read(client.right, client.bottom, [&](HDC dc, HDC) {
    WkBrush fill(CreateSolidBrush(background));
    FillRect(dc, &client, fill.get());
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  });
}

WkPixels WkScreenPixels(const RECT& area) {
  int width = area.right - area.left;
  int height = area.bottom - area.top;
  if (width <= 0 || height <= 0)
    return WkPixels();
  return paint_and_read(width, height, [&](HDC dc, HDC screen) {
    BitBlt(dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  });
}

WkLiftedWindow::WkLiftedWindow(HWND hwnd)
    : top_(GetAncestor(hwnd, GA_ROOT)),
      was_topmost_((GetWindowLongW(top_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
  if (!was_topmost_)
    SetWindowPos(top_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Another process paints when it gets to it, so only our own windows are painted now;
  // a reader of another's window waits until what it reads holds still.
  DWORD pid = 0;
  GetWindowThreadProcessId(top_, &pid);
  if (pid == GetCurrentProcessId())
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

WkLiftedWindow::~WkLiftedWindow() {
  if (!was_topmost_)
    SetWindowPos(top_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

std::wstring WkReadControlText(HWND control) {
  DWORD_PTR length = 0;
  if (!control ||
      !SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
    return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

std::wstring WkReadDlgItemText(HWND parent, int id) {
  return WkReadControlText(GetDlgItem(parent, id));
}

std::wstring WkReadStatusText(HWND status_bar, int part) {
  constexpr size_t kChars = 512;
  DWORD pid = 0;
  GetWindowThreadProcessId(status_bar, &pid);
  platform::ScopedKernelHandle process(
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, pid));
  void* remote = process ? VirtualAllocEx(process.get(), nullptr, kChars * sizeof(wchar_t),
                                          MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                         : nullptr;
  if (!remote)
    return {};
  wchar_t text[kChars] = {};
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(status_bar, SB_GETTEXTLENGTHW, part, 0, SMTO_ABORTIFHUNG, 5000,
                          &length) &&
      LOWORD(length) < kChars &&
      SendMessageTimeoutW(status_bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(remote),
                          SMTO_ABORTIFHUNG, 5000, nullptr))
    ReadProcessMemory(process.get(), remote, text, LOWORD(length) * sizeof(wchar_t), nullptr);
  VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
  return text;
}

std::wstring WkShownBalloonText() {
  for (HWND wnd = GetTopWindow(nullptr); wnd; wnd = GetWindow(wnd, GW_HWNDNEXT)) {
    wchar_t text[512] = {};
    GetClassNameW(wnd, text, 512);
    if (!IsWindowVisible(wnd) || std::wstring(text) != TOOLTIPS_CLASSW ||
        !(GetWindowLongW(wnd, GWL_STYLE) & TTS_BALLOON))
      continue;
    text[0] = 0;
    SendMessageTimeoutW(wnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    return text;
  }
  return {};
}

bool WkShellHasIcon(HWND owner, UINT id) {
  NOTIFYICONDATAW nid = {};
  nid.cbSize = NOTIFYICONDATAW_V1_SIZE;
  nid.hWnd = owner;
  nid.uID = id;
  return owner && Shell_NotifyIconW(NIM_MODIFY, &nid) != 0;
}
