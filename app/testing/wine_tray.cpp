#include "app/testing/wine_tray.h"

#include <string>

#include "winkit/testing/window_probe.h"

namespace qel_testing {
namespace {

constexpr wchar_t kTrayClass[] = L"__winex11_standalone_tray";
constexpr wchar_t kIconClass[] = L"__winex11_tray_icon";
constexpr DWORD kTipWaitMs = 3000;

std::wstring class_of(HWND wnd) {
  wchar_t name[64] = {};
  GetClassNameW(wnd, name, 64);
  return name;
}

DWORD pid_of(HWND wnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  return pid;
}

// The text of the tray's tooltip that shows now, empty when none does.
std::wstring shown_tip(DWORD tray_pid) {
  for (HWND wnd = GetTopWindow(nullptr); wnd; wnd = GetWindow(wnd, GW_HWNDNEXT)) {
    if (pid_of(wnd) != tray_pid || !IsWindowVisible(wnd) || class_of(wnd) != L"tooltips_class32")
      continue;
    wchar_t text[128] = {};
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(wnd, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                            2000, &copied) &&
        copied)
      return text;
  }
  return {};
}

// To the right edge, away from the corner where the tests put their own windows, and high
// enough for the tips to show below the icons rather than over them.
void move_tray_aside(HWND tray) {
  RECT r;
  GetWindowRect(tray, &r);
  int x = GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left) - 8;
  int y = GetSystemMetrics(SM_CYSCREEN) / 2;
  if (r.left != x || r.top != y)
    SetWindowPos(tray, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

std::vector<HWND> WineTray::Icons() {
  std::vector<HWND> icons;
  HWND tray = FindWindowW(kTrayClass, nullptr);
  for (HWND icon = tray ? FindWindowExW(tray, nullptr, kIconClass, nullptr) : nullptr; icon;
       icon = FindWindowExW(tray, icon, kIconClass, nullptr))
    if (IsWindowVisible(icon))
      icons.push_back(icon);
  return icons;
}

HWND WineTray::FindIcon(const std::wstring& tip) {
  HWND tray = FindWindowW(kTrayClass, nullptr);
  if (!tray)
    return nullptr;
  move_tray_aside(tray);
  POINT before;
  GetCursorPos(&before);
  HWND found = nullptr;
  for (HWND icon : Icons()) {
    RECT r;
    GetWindowRect(icon, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    std::wstring shown;
    for (DWORD start = GetTickCount(); GetTickCount() - start < kTipWaitMs; Sleep(50))
      if (!(shown = shown_tip(pid_of(tray))).empty())
        break;
    if (shown == tip) {
      found = icon;
      break;
    }
  }
  SetCursorPos(before.x, before.y);
  for (DWORD start = GetTickCount(); GetTickCount() - start < kTipWaitMs; Sleep(50))
    if (shown_tip(pid_of(tray)).empty())
      break;
  return found;
}

COLORREF WineTray::MiddlePixel(HWND icon) {
  RECT r;
  if (!GetWindowRect(icon, &r))
    return CLR_INVALID;
  WkLiftedWindow lifted(icon);
  HDC screen = GetDC(nullptr);
  auto read = [&] { return GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2); };
  // Lifted above a window that covered it, the icon repaints in its own time: the pixel
  // counts once two reads agree.
  COLORREF colour = read();
  for (int i = 0; i < 10; ++i) {
    Sleep(20);
    COLORREF again = read();
    if (again == colour)
      break;
    colour = again;
  }
  ReleaseDC(nullptr, screen);
  return colour;
}

void WineTray::Click(HWND icon, UINT down, UINT up) {
  LPARAM middle = MAKELPARAM(8, 8);
  PostMessageW(icon, down, 0, middle);
  PostMessageW(icon, up, 0, middle);
}

HWND open_popup_menu(DWORD pid) {
  for (HWND wnd = FindWindowW(L"#32768", nullptr); wnd;
       wnd = FindWindowExW(nullptr, wnd, L"#32768", nullptr))
    if (IsWindowVisible(wnd) && pid_of(wnd) == pid)
      return wnd;
  return nullptr;
}

}  // namespace qel_testing
