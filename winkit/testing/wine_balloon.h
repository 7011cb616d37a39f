// The balloon the notification area shows now, read from outside as a user sees it: Wine's
// shell shows it as a tooltip window with the balloon style, in the shell's own process.
#pragma once

#include <string>

#include "platform/win32/win.h"

struct WkBalloon {
  std::wstring title;
  std::wstring text;
};

// Both empty while no balloon shows.
WkBalloon WkShownBalloon();
