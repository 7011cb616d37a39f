// The notification area as Wine's shell shows it when there is no desktop panel to dock into:
// the "Wine System Tray" window with one small window per icon and a tooltip for each. The
// tests see the icons, their tips and their pixels there, and click them, as a user does.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/win.h"

namespace qel_testing {

class WineTray {
 public:
  // The icon windows the tray shows now.
  static std::vector<HWND> Icons();
  // The icon whose tip reads `tip`, or null. Rests the cursor on each icon in turn, with the
  // tray moved out of the way of other test windows, and puts the cursor back; returns once
  // the tip has gone.
  static HWND FindIcon(const std::wstring& tip);
  // The colour on the screen in the middle of the icon.
  static COLORREF MiddlePixel(HWND icon);
  // A click as the tray passes it on to the icon's owner (for example WM_RBUTTONDOWN, then
  // WM_RBUTTONUP).
  static void Click(HWND icon, UINT down, UINT up);
};

// The popup menu a process shows now (its "#32768" window), or null.
HWND open_popup_menu(DWORD pid);

}  // namespace qel_testing
