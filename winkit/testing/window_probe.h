// What a test sees of a window: its pixels, and the texts of its controls read the way
// another process reads them (window messages, no access to the owning object).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/win.h"

struct WkPixels {
  int width = 0;
  int height = 0;
  // Top-down rows of 0x00RRGGBB.
  std::vector<uint32_t> rgb;

  bool empty() const { return rgb.empty(); }
  COLORREF at(int x, int y) const;
  // Whether any pixel of the rectangle has the colour.
  bool contains(COLORREF colour, const RECT& area) const;
  int count(COLORREF colour) const;
};

// The client area as the window paints it into a memory DC (WM_PRINTCLIENT), over a
// background filled with the given colour first.
WkPixels WkRenderClient(HWND hwnd, COLORREF background = RGB(255, 255, 255));
// The pixels of a bitmap.
WkPixels WkBitmapPixels(HBITMAP bitmap);
// What the screen shows in the rectangle, in screen coordinates.
WkPixels WkScreenPixels(const RECT& area);

// Tests run side by side on one display, so another program's window may cover the one a
// test reads from the screen: this holds the window's top-level ancestor above all others
// for its lifetime (any process's window) and repaints it when it is this process's.
class WkLiftedWindow {
 public:
  explicit WkLiftedWindow(HWND hwnd);
  ~WkLiftedWindow();
  WkLiftedWindow(const WkLiftedWindow&) = delete;
  WkLiftedWindow& operator=(const WkLiftedWindow&) = delete;

 private:
  HWND top_;
  bool was_topmost_;
};

// A control's text through WM_GETTEXT, which Windows carries across processes.
std::wstring WkReadControlText(HWND control);
std::wstring WkReadDlgItemText(HWND parent, int id);
// A part of a status bar of any process: the bar fills a buffer made in its own process.
std::wstring WkReadStatusText(HWND status_bar, int part);
// The text of the balloon the notification area shows now (Wine's shell shows it as a tooltip
// with the balloon style, which keeps its title to itself); empty while none shows.
std::wstring WkShownBalloonText();

// Whether the notification area holds the icon of that window and id, asked of the shell
// itself: a modify that changes nothing succeeds only for an icon the shell knows.
bool WkShellHasIcon(HWND owner, UINT id);
