// A dialog from a template, modal or modeless, owned by a C++ object with the window base's
// OnMessage switch. A modeless dialog registers itself with the application's message loop
// so that Tab, Enter and Escape work in it.
#pragma once

#include "platform/win32/win.h"
#include "winkit/wk_wnd.h"

class WkDialog : public WkWnd {
 public:
  ~WkDialog() override;

  // Runs the dialog until EndDialog; returns its result, -1 when it could not be created.
  INT_PTR DoModal(UINT template_id, HWND parent);
  INT_PTR DoModalIndirect(const DLGTEMPLATE* dialog_template, HWND parent);
  bool CreateModeless(UINT template_id, HWND parent);
  bool CreateModelessIndirect(const DLGTEMPLATE* dialog_template, HWND parent);

  // Ends a modal dialog with the result; destroys a modeless one.
  void EndDialog(INT_PTR result);
  bool IsModal() const { return m_modal; }
  HWND GetDlgItem(int id) const;
  bool SetDlgItemText(int id, const wchar_t* text);

 protected:
  // TRUE lets the dialog manager set the focus.
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;
  void OnFinalMessage(HWND hwnd) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

  bool m_modal = false;
};
