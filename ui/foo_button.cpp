#include "ui/foo_button.h"

#include "ui/foo_button_gradient.h"
#include "ui/foo_button_image.h"
#include "winkit/wk_menu.h"
#include "winkit/wk_resource.h"

FooButton::FooButton()
    : m_background(GetSysColor(COLOR_BTNFACE)), m_text_color(GetSysColor(COLOR_BTNTEXT)) {
  FooButtonGradient::Acquire();
}

FooButton::~FooButton() {
  DestroyWindow();
  FooButtonGradient::Release();
}

bool FooButton::GradientFillLoaded() {
  return FooButtonGradient::Loaded();
}

bool FooButton::Create(const wchar_t* caption,
                       DWORD style,
                       const RECT& rect,
                       HWND parent,
                       UINT id) {
  return CreateControl(L"BUTTON", 0, caption, style | WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rect,
                       parent, id);
}

bool FooButton::SubclassDlgItem(UINT id, HWND parent) {
  HWND item = parent ? GetDlgItem(parent, id) : nullptr;
  if (!item || !SubclassWindow(item))
    return false;
  // A template may say BS_PUSHBUTTON; this control draws itself.
  LONG_PTR style = GetWindowLongPtrW(item, GWL_STYLE);
  SetWindowLongPtrW(item, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
  return true;
}

void FooButton::SetType(int kind) {
  m_kind = kind;
  Invalidate();
}

void FooButton::SetTextStyle(int text_style) {
  m_text_style = text_style;
  Invalidate();
}

void FooButton::SetBackgroundColor(COLORREF color, bool redraw) {
  m_background = color;
  if (redraw)
    Invalidate();
}

void FooButton::SetTextColor(COLORREF color, bool redraw) {
  m_text_color = color;
  if (redraw)
    Invalidate();
}

namespace {

HFONT make_font(int points) {
  HDC screen = GetDC(nullptr);
  int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, L"Tahoma");
}

}  // namespace

void FooButton::SetFontSize(int points) {
  m_font.reset(points > 0 ? make_font(points) : nullptr);
  // So that anyone reading the control (a screen reader, a layout check) sees its font.
  if (m_hWnd)
    SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
  Invalidate();
}

SIZE FooButton::MeasureCaption(const wchar_t* caption, int points) {
  SIZE size = {};
  if (!caption || !*caption || points <= 0)
    return size;
  WkFont font(make_font(points));
  HDC screen = GetDC(nullptr);
  {
    WkSelectObject selected(screen, font.get());
    RECT box = {};
    ::DrawTextW(screen, caption, -1, &box, DT_SINGLELINE | DT_CALCRECT);
    size = {box.right - box.left, box.bottom - box.top};
  }
  ReleaseDC(nullptr, screen);
  return size;
}

void FooButton::SetFaceImages(UINT normal, UINT hot, UINT pressed, COLORREF key) {
  m_key = key;
  m_faces[kNormal].reset(normal ? WkLoadBitmap(normal) : nullptr);
  m_faces[kHot].reset(hot ? WkLoadBitmap(hot) : nullptr);
  m_faces[kPressed].reset(pressed ? WkLoadBitmap(pressed) : nullptr);
  m_faces[kDisabled].reset();
  Invalidate();
}

void FooButton::SetPicture(UINT id, COLORREF key) {
  SetFaceImages(id, 0, 0, key);
}

UINT FooButton::ShowMenu(HMENU popup) {
  if (!m_hWnd || !popup)
    return 0;
  RECT rect;
  GetWindowRect(m_hWnd, &rect);
  HWND owner = GetAncestor(m_hWnd, GA_ROOT);
  return WkTrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD,
                          POINT{rect.left, rect.bottom}, owner ? owner : m_hWnd);
}

bool FooButton::Enable(bool enable) {
  if (!m_hWnd)
    return false;
  ::EnableWindow(m_hWnd, enable);
  Invalidate();
  return true;
}

HBITMAP FooButton::FaceFor(bool pressed, bool disabled) {
  if (disabled) {
    if (!m_faces[kDisabled] && m_faces[kNormal])
      m_faces[kDisabled].reset(foo_grey_copy(m_faces[kNormal].get(), m_key));
    return m_faces[kDisabled].get();
  }
  if (pressed && m_faces[kPressed])
    return m_faces[kPressed].get();
  if (m_hot && m_faces[kHot])
    return m_faces[kHot].get();
  return m_faces[kNormal].get();
}

void FooButton::OnMouseMove() {
  if (m_hot || !foo_kind_tracks_hot(m_kind))
    return;
  TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, m_hWnd, 0};
  m_tracking = TrackMouseEvent(&track) != 0;
  m_hot = true;
  Invalidate();
}

void FooButton::OnMouseLeave() {
  m_tracking = false;
  if (!m_hot)
    return;
  m_hot = false;
  Invalidate();
}

void FooButton::SetKeyboardCues(bool shown) {
  if (m_keyboard_cues == shown)
    return;
  m_keyboard_cues = shown;
  Invalidate();
}

LRESULT FooButton::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_MOUSEMOVE:
      OnMouseMove();
      break;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      m_keyboard_cues = false;
      break;
    case WM_SETCURSOR:
      if (m_kind == kFooHyperlink) {
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
        return TRUE;
      }
      break;
    case WM_KEYUP:
      // Tab and the arrows land here after moving the focus: the user works by keyboard.
      SetKeyboardCues(true);
      break;
    case WM_KEYDOWN:
      SetKeyboardCues(true);
      if (wparam == VK_RETURN) {
        SendMessageW(m_hWnd, BM_CLICK, 0, 0);
        return 0;
      }
      break;
    case WM_GETDLGCODE:
      // In a dialog, Enter on a focused FooButton clicks it instead of the default button.
      if (lparam && reinterpret_cast<MSG*>(lparam)->message == WM_KEYDOWN &&
          reinterpret_cast<MSG*>(lparam)->wParam == VK_RETURN)
        return DLGC_BUTTON | DLGC_WANTMESSAGE;
      break;
    case WM_UPDATEUISTATE:
      if (HIWORD(wparam) & UISF_HIDEFOCUS)
        SetKeyboardCues(LOWORD(wparam) == UIS_CLEAR);
      break;
    case WM_ENABLE:
      Invalidate();
      break;
  }
  return WkWnd::OnMessage(msg, wparam, lparam);
}

bool FooButton::OnReflectedMessage(UINT msg, WPARAM, LPARAM lparam, LRESULT* result) {
  if (msg != WM_DRAWITEM)
    return false;
  auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
  Draw(item->hDC, item->rcItem, item->itemState);
  *result = TRUE;
  return true;
}
