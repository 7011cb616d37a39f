// The base of the program's modeless dialogs: created on demand from a template with a
// parent, kept by their owner, re-shown instead of re-created.
#pragma once

#include "platform/win32/win.h"
#include "winkit/wk_dialog.h"

class DlgTemplate : public WkDialog {
 public:
  // Requires a parent; false when there is none or the template cannot be created.
  bool Create(UINT template_id, HWND _pParent);
  bool IsCreated() const { return m_hWnd != nullptr; }
  // Shows the window above the others (a second request for an open dialog).
  void BringToTop();

 protected:
  // OK ends the dialog the base way.
  void OnOK() override;
};
