#include "winkit/wk_dialog.h"

#include "winkit/wk_app.h"

namespace {

// Messages whose answer a dialog procedure returns directly instead of in DWLP_MSGRESULT.
bool answers_directly(UINT msg) {
  switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return true;
  }
  return false;
}

}  // namespace

WkDialog::~WkDialog() {
  DestroyWindow();
}

INT_PTR WkDialog::DoModal(UINT template_id, HWND parent) {
  if (m_hWnd)
    return -1;
  m_modal = true;
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), parent,
                         DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR WkDialog::DoModalIndirect(const DLGTEMPLATE* dialog_template, HWND parent) {
  if (m_hWnd || !dialog_template)
    return -1;
  m_modal = true;
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog_template, parent, DialogProc,
                                 reinterpret_cast<LPARAM>(this));
}

bool WkDialog::CreateModeless(UINT template_id, HWND parent) {
  if (m_hWnd)
    return false;
  m_modal = false;
  return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), parent,
                            DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

bool WkDialog::CreateModelessIndirect(const DLGTEMPLATE* dialog_template, HWND parent) {
  if (m_hWnd || !dialog_template)
    return false;
  m_modal = false;
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog_template, parent, DialogProc,
                                    reinterpret_cast<LPARAM>(this)) != nullptr;
}

void WkDialog::EndDialog(INT_PTR result) {
  if (!m_hWnd)
    return;
  if (m_modal)
    ::EndDialog(m_hWnd, result);
  else
    DestroyWindow();
}

HWND WkDialog::GetDlgItem(int id) const {
  return m_hWnd ? ::GetDlgItem(m_hWnd, id) : nullptr;
}

bool WkDialog::SetDlgItemText(int id, const wchar_t* text) {
  return m_hWnd && ::SetDlgItemTextW(m_hWnd, id, text ? text : L"");
}

LRESULT WkDialog::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      if (HIWORD(wparam) != BN_CLICKED)
        break;
      if (LOWORD(wparam) == IDOK) {
        OnOK();
        return 0;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        OnCancel();
        return 0;
      }
      break;
  }
  return DefaultProc(msg, wparam, lparam);
}

void WkDialog::OnFinalMessage(HWND hwnd) {
  if (WkApp* app = WkApp::Current())
    app->RemoveModelessDialog(hwnd);
}

INT_PTR CALLBACK WkDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  WkDialog* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<WkDialog*>(lparam);
    self->Bind(hwnd);
    if (WkApp* app = WkApp::Current(); app && !self->m_modal)
      app->AddModelessDialog(hwnd);
  } else {
    self = static_cast<WkDialog*>(FromHandle(hwnd));
  }
  if (!self)
    return FALSE;
  bool defaulted = false;
  bool* outer = self->m_dialog_default;
  self->m_dialog_default = &defaulted;
  LRESULT result = self->Route(msg, wparam, lparam);
  if (msg != WM_NCDESTROY)
    self->m_dialog_default = outer;
  else
    self->m_dialog_default = nullptr;
  if (defaulted)
    return FALSE;
  if (answers_directly(msg))
    return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}
