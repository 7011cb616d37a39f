// The one window base: a C++ object owns a window of its own class, a standard control it
// subclasses, or a dialog (WkDialog); every message goes through one OnMessage switch.
// Notifications a control sends its parent (command, notify, draw and measure item,
// control colours) are first offered to the control's own object, so owner-drawn controls
// draw themselves.
#pragma once

#include <string>

#include "platform/win32/win.h"
#include "platform/win32/window_class.h"

class WkWnd : public platform::WindowHandler {
 public:
  WkWnd() = default;
  WkWnd(const WkWnd&) = delete;
  WkWnd& operator=(const WkWnd&) = delete;
  // Destroys the window it created; a window it only subclassed is handed back.
  virtual ~WkWnd();

  // The object of a window made or subclassed here, else null.
  static WkWnd* FromHandle(HWND hwnd);

  // A window of an own class, registered on first use with the look given.
  bool CreateEx(DWORD ex_style,
                const wchar_t* class_name,
                const wchar_t* title,
                DWORD style,
                const RECT& rect,
                HWND parent,
                UINT_PTR id_or_menu,
                const platform::WindowClassLook& look = {});
  // A standard control ("BUTTON", "STATIC", list views...) whose messages reach OnMessage.
  bool CreateControl(const wchar_t* std_class,
                     DWORD ex_style,
                     const wchar_t* text,
                     DWORD style,
                     const RECT& rect,
                     HWND parent,
                     UINT id);
  // Takes over an existing window (a dialog's control); UnsubclassWindow gives it back.
  bool SubclassWindow(HWND hwnd);
  HWND UnsubclassWindow();
  bool DestroyWindow();

  // The main window's chance to see a message before the loop dispatches it.
  virtual bool PreTranslateMessage(MSG* msg) { return false; }

  bool ShowWindow(int show_command);
  bool IsWindowVisible() const;
  bool EnableWindow(bool enable);
  bool IsWindowEnabled() const;
  bool MoveWindow(const RECT& rect, bool repaint = true);
  void Invalidate(bool erase = false);
  RECT GetClientRect() const;
  HWND GetParent() const;
  int GetDlgCtrlID() const;
  std::wstring GetWindowText() const;
  bool SetWindowText(const wchar_t* text);
  // Window timers by id; the WM_TIMER carries the id.
  bool SetTimer(UINT_PTR id, UINT elapse_ms);
  bool KillTimer(UINT_PTR id);

  HWND m_hWnd = nullptr;

 protected:
  // Unhandled messages go to DefaultProc.
  virtual LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam);
  // A notification about this control that its parent passes on: true (with the result)
  // when handled here, else the parent handles it.
  virtual bool OnReflectedMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result) {
    return false;
  }
  // After WM_NCDESTROY: the window is gone and m_hWnd is null.
  virtual void OnFinalMessage(HWND hwnd) {}
  // The class procedure, the subclassed control's own procedure, or a dialog's default.
  LRESULT DefaultProc(UINT msg, WPARAM wparam, LPARAM lparam);

  // For WkDialog: binds the window and routes one message.
  void Bind(HWND hwnd);
  LRESULT Route(UINT msg, WPARAM wparam, LPARAM lparam);
  // Set by a dialog's procedure while it routes a message: DefaultProc marks it.
  bool* m_dialog_default = nullptr;

 private:
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  void Unbind();

  friend bool WkReflectToChild(HWND, UINT, WPARAM, LPARAM, LRESULT*);

  WNDPROC m_super_proc = nullptr;
  bool m_owns_window = false;
};

// Offers a parent's notification to the object of the control it is about.
bool WkReflectToChild(HWND parent, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result);
