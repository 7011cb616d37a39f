#include "ui/qel_dlg_message_box.h"

#include "qel_lib/qel_assert.h"
#include "res/resource.h"

bool DlgMessageBoxCore::Create(const wchar_t* line1,
                               const wchar_t* line2,
                               HWND _pParent,
                               int type) {
  if (!QEL_ASSERT(_pParent))
    return false;
  m_type = type;
  m_line1 = line1 ? line1 : L"";
  m_line2 = line2 ? line2 : L"";
  return DlgTemplate::Create(IDD_MESSAGE_BOX, _pParent);
}

BOOL DlgMessageBoxCore::OnInitDialog() {
  ::ShowWindow(GetDlgItem(IDC_MSGBOX_OK), SW_SHOW);
  ::ShowWindow(GetDlgItem(IDC_MSGBOX_CANCEL), SW_HIDE);
  ::ShowWindow(GetDlgItem(IDC_MSGBOX_RETRY), SW_HIDE);
  m_icon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_WARNING));
  dojob_show_icon();
  dojob_show_lines();
  return TRUE;
}

void DlgMessageBoxCore::SetLines(const wchar_t* line1, const wchar_t* line2) {
  m_line1 = line1 ? line1 : L"";
  m_line2 = line2 ? line2 : L"";
  dojob_show_lines();
}

void DlgMessageBoxCore::SetCaption(const wchar_t* caption) {
  SetWindowText(caption);
}

void DlgMessageBoxCore::SetIcon(HICON icon) {
  m_icon = icon;
  dojob_show_icon();
}

void DlgMessageBoxCore::dojob_show_lines() {
  SetDlgItemText(IDC_MSGBOX_LINE1, m_line1.c_str());
  SetDlgItemText(IDC_MSGBOX_LINE2, m_line2.c_str());
}

void DlgMessageBoxCore::dojob_show_icon() {
  HWND icon_static = GetDlgItem(IDC_MSGBOX_ICON);
  if (!icon_static)
    return;
  SendMessageW(icon_static, STM_SETICON, reinterpret_cast<WPARAM>(m_icon), 0);
  ::ShowWindow(icon_static, m_icon ? SW_SHOW : SW_HIDE);
}

bool DlgMessageBox::Create(const wchar_t* line1, const wchar_t* line2, HWND _pParent, int type) {
  if (m_dlg.IsCreated()) {
    m_dlg.SetLines(line1, line2);
    m_dlg.BringToTop();
    return true;
  }
  return m_dlg.Create(line1, line2, _pParent, type);
}
