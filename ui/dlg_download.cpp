#include "ui/dlg_download.h"

#include <commctrl.h>

#include "qel_lib/qel_assert.h"
#include "res/resource.h"

namespace {

std::wstring wide(const std::u16string& s) {
  return std::wstring(s.begin(), s.end());
}

}  // namespace

DlgDownload::~DlgDownload() {
  destroy_window();
}

bool DlgDownload::create_window() {
  return CreateModeless(IDD_DOWNLOAD, nullptr);
}

void DlgDownload::destroy_window() {
  m_link.UnsubclassWindow();
  DestroyWindow();
}

BOOL DlgDownload::OnInitDialog() {
  SendDlgItemMessageW(m_hWnd, IDC_DOWNLOAD_ICON, STM_SETICON,
                      reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_QUESTION)), 0);
  m_link.SubclassDlgItem(IDC_DOWNLOAD_LINK, m_hWnd);
  SendDlgItemMessageW(m_hWnd, IDC_DOWNLOAD_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  return TRUE;
}

LRESULT DlgDownload::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_COMMAND && LOWORD(wparam) == IDC_DOWNLOAD_LINK && HIWORD(wparam) == BN_CLICKED) {
    m_commands.Notify(dlg_download_cmd_link);
    return 0;
  }
  return WkDialog::OnMessage(msg, wparam, lparam);
}

void DlgDownload::apply(int id, const qel_dlg_download_item& item) {
  HWND control = GetDlgItem(id);
  if (!control)
    return;
  if (item.set_text)
    SetWindowTextW(control, wide(item.text).c_str());
  if (item.place)
    ::MoveWindow(control, item.x, item.y, item.w, item.h, TRUE);
  ::ShowWindow(control, item.shown ? SW_SHOW : SW_HIDE);
}

void DlgDownload::change_phase(int32_t phase) {
  if (!m_hWnd)
    return;
  RECT client = GetClientRect();
  qel_dlg_download_layout l =
      qel_dlg_download_phase_layout(phase, client.right - client.left, m_texts);
  if (!l.valid) {
    QEL_ASSERT(false);
    return;
  }
  if (phase == phase_upgrade_confirm)
    SetWindowText(wide(m_texts.product_name).c_str());
  SetWindowText(wide(l.caption).c_str());
  apply(IDC_DOWNLOAD_LINE1, l.line1);
  apply(IDC_DOWNLOAD_LINE2, l.line2);
  apply(IDC_DOWNLOAD_YES, l.yes);
  apply(IDC_DOWNLOAD_NO, l.no);
  HWND icon = GetDlgItem(IDC_DOWNLOAD_ICON);
  if (l.icon == kQelDownloadIconWarning)
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_EXCLAMATION)),
                 0);
  ::ShowWindow(icon, l.icon_shown ? SW_SHOW : SW_HIDE);
  HWND progress = GetDlgItem(IDC_DOWNLOAD_PROGRESS);
  if (l.progress_reset)
    SendMessageW(progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  ::ShowWindow(progress, l.progress_shown ? SW_SHOW : SW_HIDE);
  if (l.link_hyperlink)
    m_link.SetType(kFooHyperlink);
  apply(IDC_DOWNLOAD_LINK, l.link);
  // Texts moved and resized leave their old pixels behind otherwise.
  Invalidate(true);
}

void DlgDownload::set_progress(int32_t percent, int32_t total_kb) {
  SendDlgItemMessageW(m_hWnd, IDC_DOWNLOAD_PROGRESS, PBM_SETPOS, percent, 0);
  SetDlgItemText(IDC_DOWNLOAD_LINE2,
                 wide(qel_dlg_download_progress_text(percent, total_kb)).c_str());
}

void DlgDownload::show_not_verified() {
  SetDlgItemText(IDC_DOWNLOAD_LINE1, wide(kQelDownloadNotVerified).c_str());
}
