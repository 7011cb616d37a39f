#include "winkit/wk_wnd.h"

#include <vector>

namespace {

constexpr wchar_t kObjectProp[] = L"WkWnd";

// The control a parent's notification is about, or null.
HWND notifying_child(HWND parent, UINT msg, LPARAM lparam) {
  switch (msg) {
    case WM_COMMAND:
      return reinterpret_cast<HWND>(lparam);
    case WM_NOTIFY:
      return lparam ? reinterpret_cast<NMHDR*>(lparam)->hwndFrom : nullptr;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
      return item && item->CtlType != ODT_MENU ? item->hwndItem : nullptr;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      return item && item->CtlType != ODT_MENU ? GetDlgItem(parent, item->CtlID) : nullptr;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<HWND>(lparam);
  }
  return nullptr;
}

}  // namespace

bool WkReflectToChild(HWND parent, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  HWND child = notifying_child(parent, msg, lparam);
  if (!child || child == parent)
    return false;
  WkWnd* object = WkWnd::FromHandle(child);
  return object && object->OnReflectedMessage(msg, wparam, lparam, result);
}

WkWnd::~WkWnd() {
  if (m_owns_window)
    DestroyWindow();
  else
    UnsubclassWindow();
}

WkWnd* WkWnd::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<WkWnd*>(GetPropW(hwnd, kObjectProp)) : nullptr;
}

bool WkWnd::CreateEx(DWORD ex_style,
                     const wchar_t* class_name,
                     const wchar_t* title,
                     DWORD style,
                     const RECT& rect,
                     HWND parent,
                     UINT_PTR id_or_menu,
                     const platform::WindowClassLook& look) {
  if (m_hWnd || !platform::register_window_class(class_name, look))
    return false;
  m_owns_window = true;
  platform::create_window(this, ex_style, class_name, title, style, rect, parent,
                          reinterpret_cast<HMENU>(id_or_menu));
  return m_hWnd != nullptr;
}

bool WkWnd::CreateControl(const wchar_t* std_class,
                          DWORD ex_style,
                          const wchar_t* text,
                          DWORD style,
                          const RECT& rect,
                          HWND parent,
                          UINT id) {
  if (m_hWnd)
    return false;
  HWND hwnd = CreateWindowExW(ex_style, std_class, text, style, rect.left, rect.top,
                              rect.right - rect.left, rect.bottom - rect.top, parent,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd)
    return false;
  if (!SubclassWindow(hwnd)) {
    ::DestroyWindow(hwnd);
    return false;
  }
  m_owns_window = true;
  return true;
}

bool WkWnd::SubclassWindow(HWND hwnd) {
  if (m_hWnd || !IsWindow(hwnd) || FromHandle(hwnd))
    return false;
  Bind(hwnd);
  m_super_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
  m_owns_window = false;
  return true;
}

HWND WkWnd::UnsubclassWindow() {
  HWND hwnd = m_hWnd;
  if (!hwnd || !m_super_proc)
    return nullptr;
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_super_proc));
  m_super_proc = nullptr;
  Unbind();
  return hwnd;
}

bool WkWnd::DestroyWindow() {
  if (!m_hWnd)
    return false;
  return ::DestroyWindow(m_hWnd) != 0;
}

void WkWnd::Bind(HWND hwnd) {
  m_hWnd = hwnd;
  SetPropW(hwnd, kObjectProp, this);
}

void WkWnd::Unbind() {
  if (m_hWnd)
    RemovePropW(m_hWnd, kObjectProp);
  m_hWnd = nullptr;
}

LRESULT WkWnd::Route(UINT msg, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (WkReflectToChild(m_hWnd, msg, wparam, lparam, &result))
    return result;
  if (msg != WM_NCDESTROY)
    return OnMessage(msg, wparam, lparam);
  HWND hwnd = m_hWnd;
  result = OnMessage(msg, wparam, lparam);
  if (m_super_proc)
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_super_proc));
  m_super_proc = nullptr;
  m_owns_window = false;
  Unbind();
  OnFinalMessage(hwnd);
  return result;
}

LRESULT WkWnd::HandleMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE)
    Bind(hwnd);
  return Route(msg, wparam, lparam);
}

LRESULT CALLBACK WkWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  WkWnd* self = FromHandle(hwnd);
  if (!self)
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  return self->Route(msg, wparam, lparam);
}

LRESULT WkWnd::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefaultProc(msg, wparam, lparam);
}

LRESULT WkWnd::DefaultProc(UINT msg, WPARAM wparam, LPARAM lparam) {
  if (m_dialog_default) {
    *m_dialog_default = true;
    return 0;
  }
  if (m_super_proc)
    return CallWindowProcW(m_super_proc, m_hWnd, msg, wparam, lparam);
  return DefWindowProcW(m_hWnd, msg, wparam, lparam);
}

bool WkWnd::ShowWindow(int show_command) {
  return m_hWnd && ::ShowWindow(m_hWnd, show_command);
}

bool WkWnd::IsWindowVisible() const {
  return m_hWnd && ::IsWindowVisible(m_hWnd);
}

bool WkWnd::EnableWindow(bool enable) {
  return m_hWnd && ::EnableWindow(m_hWnd, enable);
}

bool WkWnd::IsWindowEnabled() const {
  return m_hWnd && ::IsWindowEnabled(m_hWnd);
}

bool WkWnd::MoveWindow(const RECT& rect, bool repaint) {
  return m_hWnd && ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, repaint);
}

void WkWnd::Invalidate(bool erase) {
  if (m_hWnd)
    InvalidateRect(m_hWnd, nullptr, erase);
}

RECT WkWnd::GetClientRect() const {
  RECT rect = {};
  if (m_hWnd)
    ::GetClientRect(m_hWnd, &rect);
  return rect;
}

HWND WkWnd::GetParent() const {
  return m_hWnd ? ::GetParent(m_hWnd) : nullptr;
}

int WkWnd::GetDlgCtrlID() const {
  return m_hWnd ? ::GetDlgCtrlID(m_hWnd) : 0;
}

std::wstring WkWnd::GetWindowText() const {
  if (!m_hWnd)
    return {};
  int length = GetWindowTextLengthW(m_hWnd);
  std::vector<wchar_t> buffer(length + 1);
  int copied = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
  return std::wstring(buffer.data(), copied > 0 ? copied : 0);
}

bool WkWnd::SetWindowText(const wchar_t* text) {
  return m_hWnd && ::SetWindowTextW(m_hWnd, text ? text : L"");
}

bool WkWnd::SetTimer(UINT_PTR id, UINT elapse_ms) {
  return m_hWnd && ::SetTimer(m_hWnd, id, elapse_ms, nullptr) != 0;
}

bool WkWnd::KillTimer(UINT_PTR id) {
  return m_hWnd && ::KillTimer(m_hWnd, id);
}
