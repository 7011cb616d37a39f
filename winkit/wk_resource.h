// Strings, menus, icons and bitmaps of the program's own resources.
#pragma once

#include <string>

#include "platform/win32/win.h"

// The module whose resources the program uses (the .exe).
HINSTANCE WkResourceModule();
// The string of the default table; empty when the id is absent.
std::wstring WkLoadString(UINT id);
// The caller owns the menu (WkMenu).
HMENU WkLoadMenu(UINT id);
// The icon at size x size pixels (0: the system's large icon size); the caller owns it.
HICON WkLoadIcon(UINT id, int size = 0);
// The system's small icon size, for tray and title bar icons.
int WkSmallIconSize();
// The caller owns the bitmap; null when the id is absent.
HBITMAP WkLoadBitmap(UINT id);
