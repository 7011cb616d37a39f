#include "ui/system_tray.h"

#include <shlwapi.h>

#include <cwchar>

#include "winkit/wk_gdi.h"
#include "winkit/wk_menu.h"
#include "winkit/wk_resource.h"

namespace {

constexpr wchar_t kClassName[] = L"QelSystemTrayWnd";

UINT taskbar_created_message() {
  static const UINT msg = RegisterWindowMessageW(L"TaskbarCreated");
  return msg;
}

// The shell's major version (DllGetVersion of shell32), 0 when it does not say.
DWORD shell_major_version() {
  HMODULE shell = GetModuleHandleW(L"shell32.dll");
  auto get_version = shell ? reinterpret_cast<DLLGETVERSIONPROC>(
                                 reinterpret_cast<void*>(GetProcAddress(shell, "DllGetVersion")))
                           : nullptr;
  DLLVERSIONINFO info = {};
  info.cbSize = sizeof info;
  return get_version && SUCCEEDED(get_version(&info)) ? info.dwMajorVersion : 0;
}

}  // namespace

CSystemTray::~CSystemTray() {
  if (m_enabled && !m_removed)
    dojob_notify(NIM_DELETE);
  DestroyWindow();
}

bool CSystemTray::Create(HWND owner,
                         UINT callback_msg,
                         const wchar_t* tip,
                         HICON icon,
                         UINT id,
                         bool hidden) {
  m_enabled = shell_major_version() >= 4;
  if (!m_enabled || m_hWnd)
    return false;
  taskbar_created_message();
  // A hidden top-level window: only top-level windows hear the "TaskbarCreated" broadcast.
  if (!CreateEx(0, kClassName, L"", WS_POPUP, RECT{}, nullptr, 0))
    return false;
  m_nid.cbSize = kRecordSize;
  m_nid.hWnd = owner ? owner : m_hWnd;
  m_nid.uID = id;
  m_nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  m_nid.uCallbackMessage = callback_msg;
  m_nid.hIcon = icon;
  SetTooltipText(tip);
  m_hidden = true;
  m_removed = true;
  if (!hidden)
    ShowIcon();
  return true;
}

bool CSystemTray::dojob_notify(DWORD message) {
  return Shell_NotifyIconW(message, &m_nid) != 0;
}

void CSystemTray::SetMenuDefaultItem(UINT item, bool by_position) {
  m_default_item = item;
  m_default_by_pos = by_position;
}

void CSystemTray::SetNotificationWnd(HWND wnd) {
  if (!m_enabled || !wnd || !IsWindow(wnd))
    return;
  bool shown = !m_removed;
  if (shown)
    dojob_notify(NIM_DELETE);
  m_nid.hWnd = wnd;
  if (shown)
    m_removed = !dojob_notify(NIM_ADD);
}

void CSystemTray::SetIconList(const HICON* icons, int count) {
  m_icons.assign(icons, icons + (count > 0 && icons ? count : 0));
}

bool CSystemTray::Animate(UINT step_ms, int duration_s) {
  if (!m_enabled || m_icons.empty())
    return false;
  StopAnimation();
  m_animation.Start(static_cast<int>(m_icons.size()), GetTickCount64(), duration_s);
  m_icon_before_animation = m_nid.hIcon;
  if (!SetTimer(kAnimationTimer, step_ms)) {
    m_animation.Stop();
    return false;
  }
  return true;
}

BOOL CSystemTray::StopAnimation() {
  if (!m_animation.running())
    return FALSE;
  m_animation.Stop();
  dojob_end_animation();
  return TRUE;
}

void CSystemTray::dojob_end_animation() {
  KillTimer(kAnimationTimer);
  SetIcon(m_icon_before_animation);
}

void CSystemTray::OnTimer() {
  int index = m_animation.Tick(GetTickCount64());
  if (index < 0)
    dojob_end_animation();
  else
    SetIcon(m_icons[index]);
}

bool CSystemTray::ShowIcon() {
  if (!m_enabled)
    return false;
  if (m_removed) {
    m_removed = !dojob_notify(NIM_ADD);
    m_hidden = m_removed;
  } else {
    m_hidden = !dojob_notify(NIM_MODIFY);
  }
  m_showing_pending = m_hidden;
  return !m_hidden;
}

bool CSystemTray::HideIcon() {
  if (!m_enabled)
    return false;
  if (!m_removed)
    dojob_notify(NIM_DELETE);
  m_removed = true;
  m_hidden = true;
  m_showing_pending = false;
  return false;
}

bool CSystemTray::SetIcon(HICON icon) {
  if (!m_enabled)
    return false;
  m_nid.hIcon = icon;
  m_nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  return m_hidden ? true : dojob_notify(NIM_MODIFY);
}

bool CSystemTray::SetTooltipText(const wchar_t* tip) {
  if (!m_enabled)
    return false;
  std::u16string cut = tray_cut_tip(as_u16(tip ? tip : L""), kMaxTip);
  wmemset(m_nid.szTip, 0, sizeof m_nid.szTip / sizeof m_nid.szTip[0]);
  wmemcpy(m_nid.szTip, as_wide(cut.c_str()), cut.size());
  return m_hidden ? true : dojob_notify(NIM_MODIFY);
}

bool CSystemTray::ShowBalloon(const wchar_t* title, const wchar_t* text, DWORD info_flags) {
  if (!m_enabled || m_hidden)
    return false;
  // The record of the version that knows balloons, for this call only: every other call
  // keeps to the first version's record.
  NOTIFYICONDATAW nid = m_nid;
  nid.cbSize = NOTIFYICONDATAW_V2_SIZE;
  nid.uFlags = NIF_INFO;
  lstrcpynW(nid.szInfo, text ? text : L"", sizeof nid.szInfo / sizeof nid.szInfo[0]);
  lstrcpynW(nid.szInfoTitle, title ? title : L"",
            sizeof nid.szInfoTitle / sizeof nid.szInfoTitle[0]);
  nid.uTimeout = kBalloonMs;
  nid.dwInfoFlags = info_flags;
  return Shell_NotifyIconW(NIM_MODIFY, &nid) != 0;
}

bool CSystemTray::SetTooltipText(UINT string_id) {
  return SetTooltipText(WkLoadString(string_id).c_str());
}

LRESULT CSystemTray::OnTrayNotification(WPARAM wparam, LPARAM lparam) {
  if (!m_enabled || wparam != m_nid.uID)
    return 0;
  switch (LOWORD(lparam)) {
    case WM_RBUTTONUP:
      dojob_show_menu();
      break;
    case WM_LBUTTONDBLCLK:
      dojob_post_default_command();
      break;
  }
  return 1;
}

UINT CSystemTray::dojob_default_command(HMENU popup) const {
  if (!m_default_by_pos)
    return m_default_item;
  return GetMenuItemID(popup, static_cast<int>(m_default_item));
}

void CSystemTray::dojob_show_menu() {
  // The tray menu is the menu resource with the icon's id.
  WkMenu menu(WkLoadMenu(m_nid.uID));
  HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
  if (!popup)
    return;
  ::SetMenuDefaultItem(popup, m_default_item, m_default_by_pos);
  POINT cursor;
  GetCursorPos(&cursor);
  WkTrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor, m_nid.hWnd);
}

void CSystemTray::dojob_post_default_command() {
  SetForegroundWindow(m_nid.hWnd);
  WkMenu menu(WkLoadMenu(m_nid.uID));
  HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
  UINT command = m_default_by_pos ? (popup ? dojob_default_command(popup) : 0) : m_default_item;
  if (command && command != static_cast<UINT>(-1))
    PostMessageW(m_nid.hWnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

LRESULT CSystemTray::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_TIMER && wparam == kAnimationTimer) {
    OnTimer();
    return 0;
  }
  if (msg != 0 && msg == taskbar_created_message()) {
    // The shell came back without our icon: an icon that is shown goes in again.
    if (m_enabled && (!m_hidden || m_showing_pending)) {
      m_removed = true;
      ShowIcon();
    }
    return 0;
  }
  // Without an owner the tray's own window gets the callbacks.
  if (msg == m_nid.uCallbackMessage && m_nid.hWnd == m_hWnd && msg != 0)
    return OnTrayNotification(wparam, lparam);
  return WkWnd::OnMessage(msg, wparam, lparam);
}
