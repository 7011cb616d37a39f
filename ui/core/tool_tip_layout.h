// Where a tooltip window goes: the text plus the margins, at the cursor plus the offset,
// moved back onto the screen when it would leave it.
#pragma once

#include "ui/core/ui_rect.h"

struct UiPoint {
  int x = 0;
  int y = 0;
};

struct ToolTipMargins {
  int left = 2;
  int top = 2;
  int right = 3;
  int bottom = 3;
};

// The border drawn around the text, on each side.
inline constexpr int kToolTipBorder = 1;

UiSize tool_tip_window_size(UiSize text, const ToolTipMargins& margins);
// screen: the work area the tip must stay inside. A tip that would run off the bottom goes
// above the cursor instead; one that would run off the right moves left.
UiRect tool_tip_window_rect(UiPoint cursor,
                            UiPoint offset,
                            UiSize text,
                            const ToolTipMargins& margins,
                            const UiRect& screen);
// Where the text goes inside the window's client area.
UiRect tool_tip_text_rect(UiSize window, const ToolTipMargins& margins);
