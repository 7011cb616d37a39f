#include "winkit/wk_menu.h"

UINT WkTrackPopupMenu(HMENU popup, UINT flags, POINT screen_point, HWND owner) {
  if (!popup || !owner)
    return 0;
  SetForegroundWindow(owner);
  UINT result = static_cast<UINT>(
      TrackPopupMenu(popup, flags, screen_point.x, screen_point.y, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  return result;
}
