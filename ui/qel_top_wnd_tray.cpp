#include "ui/qel_top_wnd_tray.h"

#include "res/resource.h"
#include "ui/qel_l10n_strings.h"
#include "winkit/wk_resource.h"

namespace {
constexpr UINT kAnimationStepMs = 500;
}  // namespace

bool qel_top_wnd_tray::create(HWND owner) {
  m_still.reset(WkLoadIcon(IDI_TRAY_STILL, WkSmallIconSize()));
  m_blink.reset(WkLoadIcon(IDI_TRAY_BLINK, WkSmallIconSize()));
  const wchar_t* tip = qel_l10n_get_string(IDS_TRAY_TIP);
  if (!m_tray.Create(owner, kCallbackMsg, tip, m_still.get(), IDR_TRAY_MENU))
    return false;
  m_tray.SetMenuDefaultItem(0, true);
  HICON icons[] = {m_still.get(), m_blink.get()};
  m_tray.SetIconList(icons, 2);
  return true;
}

void qel_top_wnd_tray::show(bool _show) {
  if (_show)
    m_tray.ShowIcon();
  else
    m_tray.HideIcon();
}

void qel_top_wnd_tray::destroy() {
  m_tray.StopAnimation();
  m_tray.HideIcon();
  m_tray.DestroyWindow();
}

void qel_top_wnd_tray::on_record_started() {
  m_tray.Animate(kAnimationStepMs, -1);
}

void qel_top_wnd_tray::on_record_stopped() {
  m_tray.StopAnimation();
}

bool qel_top_wnd_tray::show_balloon(const wchar_t* _title, const wchar_t* _text, bool _warning) {
  return m_tray.ShowBalloon(_title, _text, _warning ? NIIF_WARNING : NIIF_INFO);
}

LRESULT qel_top_wnd_tray::on_notification(WPARAM wparam, LPARAM lparam) {
  return m_tray.OnTrayNotification(wparam, lparam);
}
