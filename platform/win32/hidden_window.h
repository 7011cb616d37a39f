// A window that is never shown and exists to receive messages: posted socket answers,
// posted calls, or messages from other processes that find it by its class name.
#pragma once

#include <functional>

#include "platform/win32/win.h"
#include "platform/win32/window_class.h"

namespace platform {

class HiddenWindow final : public WindowHandler {
 public:
  // Every message of the window; DefWindowProcW is the caller's fallback.
  using Proc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

  HiddenWindow() = default;
  HiddenWindow(const HiddenWindow&) = delete;
  HiddenWindow& operator=(const HiddenWindow&) = delete;
  ~HiddenWindow();

  // parent HWND_MESSAGE makes a message-only window (not found by FindWindow); nullptr a
  // hidden top-level window that other processes can find.
  bool Create(const wchar_t* class_name, DWORD style, HWND parent, Proc proc);
  void Destroy();
  HWND hwnd() const { return m_hwnd; }

 private:
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;

  HWND m_hwnd = nullptr;
  Proc m_proc;
};

}  // namespace platform
