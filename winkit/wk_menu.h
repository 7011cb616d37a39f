// Popup menus shown for a window.
#pragma once

#include "platform/win32/win.h"

// Shows the popup at a screen point for the owner. The owner becomes the foreground window
// first and gets a null message afterwards; without both a menu opened from the tray (or
// from a window in the background) does not close when the user clicks elsewhere.
// With TPM_RETURNCMD in flags the chosen command is returned instead of sent.
UINT WkTrackPopupMenu(HMENU popup, UINT flags, POINT screen_point, HWND owner);
