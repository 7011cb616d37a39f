#include "ui/qel_dlg_template.h"

#include "qel_lib/qel_assert.h"

bool DlgTemplate::Create(UINT template_id, HWND _pParent) {
  if (!QEL_ASSERT(_pParent))
    return false;
  return CreateModeless(template_id, _pParent);
}

void DlgTemplate::BringToTop() {
  if (!m_hWnd)
    return;
  ShowWindow(SW_SHOW);
  BringWindowToTop(m_hWnd);
  SetForegroundWindow(m_hWnd);
}

void DlgTemplate::OnOK() {
  WkDialog::OnOK();
}
