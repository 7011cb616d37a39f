#include "ui/core/tool_tip_layout.h"

UiSize tool_tip_window_size(UiSize text, const ToolTipMargins& margins) {
  return {text.cx + margins.left + margins.right + 2 * kToolTipBorder,
          text.cy + margins.top + margins.bottom + 2 * kToolTipBorder};
}

UiRect tool_tip_window_rect(UiPoint cursor,
                            UiPoint offset,
                            UiSize text,
                            const ToolTipMargins& margins,
                            const UiRect& screen) {
  UiSize size = tool_tip_window_size(text, margins);
  int left = cursor.x + offset.x;
  int top = cursor.y + offset.y;
  if (top + size.cy > screen.bottom)
    top = cursor.y - size.cy;
  if (left + size.cx > screen.right)
    left = screen.right - size.cx;
  if (left < screen.left)
    left = screen.left;
  if (top < screen.top)
    top = screen.top;
  return {left, top, left + size.cx, top + size.cy};
}

UiRect tool_tip_text_rect(UiSize window, const ToolTipMargins& margins) {
  return {kToolTipBorder + margins.left, kToolTipBorder + margins.top,
          window.cx - kToolTipBorder - margins.right, window.cy - kToolTipBorder - margins.bottom};
}
