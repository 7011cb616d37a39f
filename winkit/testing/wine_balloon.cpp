#include "winkit/testing/wine_balloon.h"

#include <commctrl.h>

namespace {

constexpr DWORD kAnswerMs = 5000;

bool is_balloon(HWND wnd) {
  wchar_t name[32] = {};
  GetClassNameW(wnd, name, 32);
  return IsWindowVisible(wnd) && std::wstring(name) == TOOLTIPS_CLASSW &&
         (GetWindowLongW(wnd, GWL_STYLE) & TTS_BALLOON);
}

}  // namespace

std::wstring WkShownBalloonText() {
  for (HWND wnd = GetTopWindow(nullptr); wnd; wnd = GetWindow(wnd, GW_HWNDNEXT)) {
    if (!is_balloon(wnd))
      continue;
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(wnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                            kAnswerMs, &copied))
      return text;
  }
  return {};
}
