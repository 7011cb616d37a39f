// Painting of FooButton: into a memory DC first, so that hot tracking never flickers.
#include <string>

#include "ui/foo_button.h"
#include "ui/foo_button_gradient.h"
#include "ui/foo_button_image.h"

namespace {

UiRect to_ui(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

RECT to_win(const UiRect& r) {
  return {r.left, r.top, r.right, r.bottom};
}

UINT text_format(int text_style) {
  switch (text_style) {
    case kFooTextWrap:
      return DT_LEFT | DT_WORDBREAK | DT_WORD_ELLIPSIS;
    case kFooTextCenter:
      return DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
    default:
      return DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS;
  }
}

COLORREF lighter(COLORREF c, int amount) {
  auto up = [amount](int v) { return v + amount > 255 ? 255 : v + amount; };
  return RGB(up(GetRValue(c)), up(GetGValue(c)), up(GetBValue(c)));
}

COLORREF darker(COLORREF c, int amount) {
  auto down = [amount](int v) { return v - amount < 0 ? 0 : v - amount; };
  return RGB(down(GetRValue(c)), down(GetGValue(c)), down(GetBValue(c)));
}

}  // namespace

void FooButton::Draw(HDC target, const RECT& client, UINT state) {
  bool pressed = state & ODS_SELECTED;
  bool disabled = state & ODS_DISABLED;
  WkMemoryDC memory(target, client.right - client.left, client.bottom - client.top);
  HDC dc = memory.valid() ? memory.dc() : target;
  RECT area = {0, 0, client.right - client.left, client.bottom - client.top};
  if (!memory.valid())
    area = client;

  WkBrush background(CreateSolidBrush(m_background));
  FillRect(dc, &area, background.get());
  bool has_image = m_faces[kNormal] || m_faces[kHot] || m_faces[kPressed];
  if (foo_kind_tracks_hot(m_kind) && !has_image)
    DrawFrame(dc, area, pressed);
  DrawImage(dc, area, pressed, disabled);
  if (m_text_style != kFooNoText)
    DrawText(dc, area, pressed, disabled);
  if (foo_kind_has_drop_down(m_kind))
    DrawDropDownMark(dc, area, disabled);
  if ((state & ODS_FOCUS) && (m_focus_style != 0 || m_keyboard_cues))
    DrawFocusMark(dc, area);

  if (memory.valid())
    memory.CopyTo(target, client.left, client.top);
}

void FooButton::DrawFrame(HDC dc, const RECT& client, bool pressed) {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  COLORREF top = m_hot ? lighter(face, 40) : lighter(face, 24);
  COLORREF bottom = darker(face, 16);
  RECT inner = {client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
  if (pressed)
    FooButtonGradient::Fill(dc, inner, bottom, top);
  else
    FooButtonGradient::Fill(dc, inner, top, bottom);
  WkBrush border(CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW)));
  FrameRect(dc, &client, border.get());
}

void FooButton::DrawImage(HDC dc, const RECT& client, bool pressed, bool disabled) {
  HBITMAP face = FaceFor(pressed, disabled);
  if (!face)
    return;
  SIZE size = foo_bitmap_size(face);
  UiRect at =
      foo_image_rect(to_ui(client), UiSize{size.cx, size.cy}, m_text_style, pressed && !disabled);
  foo_draw_bitmap(dc, face, at.left, at.top, m_key);
}

HFONT FooButton::CurrentFont() const {
  if (m_font)
    return m_font.get();
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  if (!font)
    font = reinterpret_cast<HFONT>(SendMessageW(GetParent(), WM_GETFONT, 0, 0));
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void FooButton::DrawText(HDC dc, const RECT& client, bool pressed, bool disabled) {
  std::wstring caption = GetWindowText();
  if (caption.empty())
    return;
  WkSelectObject font(dc, CurrentFont());
  UINT format = text_format(m_text_style);
  UiRect box = foo_text_box(to_ui(client), m_kind, m_text_style);
  RECT measured = to_win(box);
  ::DrawTextW(dc, caption.c_str(), -1, &measured, format | DT_CALCRECT);
  UiSize size = {measured.right - measured.left, measured.bottom - measured.top};
  RECT text = to_win(foo_text_rect(to_ui(client), m_kind, m_text_style, size, pressed));
  SetBkMode(dc, TRANSPARENT);
  if (disabled) {
    RECT shadow = {text.left + 1, text.top + 1, text.right + 1, text.bottom + 1};
    ::SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
    ::DrawTextW(dc, caption.c_str(), -1, &shadow, format);
    ::SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  } else {
    ::SetTextColor(dc, m_kind == kFooHyperlink ? kHyperlinkColor : m_text_color);
  }
  ::DrawTextW(dc, caption.c_str(), -1, &text, format);
}

void FooButton::DrawDropDownMark(HDC dc, const RECT& client, bool disabled) {
  // A small downward triangle in the column the text gave up.
  COLORREF color = disabled ? GetSysColor(COLOR_GRAYTEXT) : m_text_color;
  int right = client.right - 2;
  int middle = (client.top + client.bottom) / 2;
  WkPen pen(CreatePen(PS_SOLID, 1, color));
  WkSelectObject selected(dc, pen.get());
  for (int row = 0; row < 3; ++row) {
    MoveToEx(dc, right - 5 + row, middle - 1 + row, nullptr);
    LineTo(dc, right - row, middle - 1 + row);
  }
}

void FooButton::DrawFocusMark(HDC dc, const RECT& client) {
  RECT mark = {client.left + 2, client.top + 2, client.right - 2, client.bottom - 2};
  ::SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  DrawFocusRect(dc, &mark);
}
