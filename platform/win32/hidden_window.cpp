#include "platform/win32/hidden_window.h"

namespace platform {

HiddenWindow::~HiddenWindow() {
  Destroy();
}

bool HiddenWindow::Create(const wchar_t* class_name, DWORD style, HWND parent, Proc proc) {
  if (m_hwnd || !register_window_class(class_name))
    return false;
  m_proc = std::move(proc);
  HWND hwnd = create_window(this, 0, class_name, L"", style, RECT{}, parent, nullptr);
  return hwnd && hwnd == m_hwnd;
}

void HiddenWindow::Destroy() {
  if (m_hwnd)
    DestroyWindow(m_hwnd);
  m_hwnd = nullptr;
}

LRESULT HiddenWindow::HandleMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE)
    m_hwnd = hwnd;
  LRESULT result =
      m_proc ? m_proc(hwnd, msg, wparam, lparam) : DefWindowProcW(hwnd, msg, wparam, lparam);
  if (msg == WM_NCDESTROY)
    m_hwnd = nullptr;
  return result;
}

}  // namespace platform
