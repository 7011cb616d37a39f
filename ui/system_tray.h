// The program's icon in the notification area: the tray menu on a right click, the
// default command on a double click, and an animated icon while a recording runs. The
// shell's callbacks go to the notification window (the main window); the tray's own hidden
// window keeps the animation timer and hears "TaskbarCreated" when the shell restarts.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/win.h"
// After the gateway: shellapi.h needs windows.h first.
#include <shellapi.h>

#include "ui/core/tray_animation.h"
#include "winkit/wk_wnd.h"

class CSystemTray : public WkWnd {
 public:
  static constexpr UINT_PTR kAnimationTimer = 4567;
  // The version-1 record: what every shell understands, also in the 64-bit build.
  static constexpr DWORD kRecordSize = NOTIFYICONDATAW_V1_SIZE;
  // Characters of the tip the version-1 record holds, without the terminator.
  static constexpr size_t kMaxTip = 63;
  // How long a balloon stays (older shells; newer ones follow the user's settings).
  static constexpr UINT kBalloonMs = 15000;

  CSystemTray() = default;
  ~CSystemTray() override;

  // False on shells older than version 4 (the tray then stays disabled). Unless hidden,
  // adds the icon; a failed add leaves it marked hidden and removed.
  bool Create(HWND owner,
              UINT callback_msg,
              const wchar_t* tip,
              HICON icon,
              UINT id,
              bool hidden = false);
  void SetMenuDefaultItem(UINT item, bool by_position);
  void SetNotificationWnd(HWND wnd);
  HWND GetNotificationWnd() const { return m_nid.hWnd; }
  void SetIconList(const HICON* icons, int count);
  // Needs a non-empty icon list; restarts at the first icon. duration_s < 0: no end.
  bool Animate(UINT step_ms, int duration_s);
  // Kills the timer and puts the icon back; 0 when no animation ran.
  BOOL StopAnimation();
  bool IsAnimating() const { return m_animation.running(); }
  // Both return the resulting visibility.
  bool ShowIcon();
  bool HideIcon();
  bool IsVisible() const { return m_enabled && !m_hidden; }
  bool SetIcon(HICON icon);
  HICON GetIcon() const { return m_nid.hIcon; }
  bool SetTooltipText(const wchar_t* tip);
  bool SetTooltipText(UINT string_id);
  // A balloon at the icon that goes by itself (NIF_INFO); info_flags is NIIF_INFO,
  // NIIF_WARNING or NIIF_ERROR. False when the icon is not shown, as there is nowhere to point.
  bool ShowBalloon(const wchar_t* title, const wchar_t* text, DWORD info_flags);
  std::wstring GetTooltipText() const { return m_nid.szTip; }
  // The owner passes the callback message on (wparam: icon id, lparam: mouse message).
  LRESULT OnTrayNotification(WPARAM wparam, LPARAM lparam);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;

 private:
  bool dojob_notify(DWORD message);
  void dojob_show_menu();
  void dojob_post_default_command();
  UINT dojob_default_command(HMENU popup) const;
  void dojob_end_animation();
  void OnTimer();

  NOTIFYICONDATAW m_nid = {};
  bool m_enabled = false;
  bool m_hidden = true;
  bool m_removed = true;
  bool m_showing_pending = false;
  UINT m_default_item = 0;
  bool m_default_by_pos = true;
  std::vector<HICON> m_icons;
  TrayAnimation m_animation;
  HICON m_icon_before_animation = nullptr;
};
