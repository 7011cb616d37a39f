#include "winkit/testing/wine_balloon.h"

#include <commctrl.h>

#include "winkit/testing/remote_memory.h"

namespace {

constexpr DWORD kAnswerMs = 5000;
constexpr UINT kTitleChars = 128;

bool is_balloon(HWND wnd) {
  wchar_t name[32] = {};
  GetClassNameW(wnd, name, 32);
  return IsWindowVisible(wnd) && std::wstring(name) == TOOLTIPS_CLASSW &&
         (GetWindowLongW(wnd, GWL_STYLE) & TTS_BALLOON);
}

// The title lives in the shell's process: the control fills a record made there.
std::wstring title_of(HWND balloon) {
  WkRemoteMemory memory(balloon, sizeof(TTGETTITLE) + kTitleChars * sizeof(wchar_t));
  TTGETTITLE record = {};
  record.dwSize = sizeof record;
  record.cch = kTitleChars;
  record.pszTitle = reinterpret_cast<wchar_t*>(memory.at(sizeof record));
  wchar_t title[kTitleChars] = {};
  if (!memory.write(0, &record, sizeof record) || !memory.send(TTM_GETTITLE, 0) ||
      !memory.read(sizeof record, title, sizeof title - sizeof(wchar_t)))
    return {};
  return title;
}

}  // namespace

WkBalloon WkShownBalloon() {
  for (HWND wnd = GetTopWindow(nullptr); wnd; wnd = GetWindow(wnd, GW_HWNDNEXT)) {
    if (!is_balloon(wnd))
      continue;
    WkBalloon shown;
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(wnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, kAnswerMs, &copied))
      shown.text = text;
    shown.title = title_of(wnd);
    return shown;
  }
  return {};
}
