// The main window's notification-area icon: the still icon with its tip, shown or hidden on
// the engine's request, animated while a recording runs.
#pragma once

#include "platform/win32/win.h"
#include "ui/system_tray.h"
#include "winkit/wk_gdi.h"

class qel_top_wnd_tray {
 public:
  // The callback message the shell sends the owner (application message + 10).
  static constexpr UINT kCallbackMsg = WM_APP + 10;

  bool create(HWND owner);
  void show(bool _show);
  // Takes the icon away and closes the tray's window; create may follow again.
  void destroy();
  void on_record_started();
  void on_record_stopped();
  // A notice that needs no answer, at the icon, so that nothing takes the keyboard from a
  // call; false when the icon is not shown.
  bool show_balloon(const wchar_t* _title, const wchar_t* _text, bool _warning);
  // The owner passes kCallbackMsg on.
  LRESULT on_notification(WPARAM wparam, LPARAM lparam);

  bool is_shown() const { return m_tray.IsVisible(); }
  bool is_animating() const { return m_tray.IsAnimating(); }

 private:
  WkIcon m_still;
  WkIcon m_blink;
  CSystemTray m_tray;
};
