// The balloon the notification area shows now, read from outside as a user sees it: Wine's
// shell shows it as a tooltip window with the balloon style, in the shell's own process. Its
// text is what the window answers; Wine's tooltips do not give their title away.
#pragma once

#include <string>

#include "platform/win32/win.h"

// Empty while no balloon shows.
std::wstring WkShownBalloonText();
