// The two-line message box: an icon, two lines of text and OK, modeless over its parent.
// DlgMessageBoxCore is the dialog; DlgMessageBox the framework object owners hold.
#pragma once

#include <string>

#include "platform/win32/win.h"
#include "qel_lib/qel_iobject.h"
#include "ui/qel_dlg_template.h"

class DlgMessageBoxCore : public DlgTemplate {
 public:
  bool Create(const wchar_t* line1, const wchar_t* line2, HWND _pParent, int type);
  void SetLines(const wchar_t* line1, const wchar_t* line2);
  void SetCaption(const wchar_t* caption);
  // Null hides the icon.
  void SetIcon(HICON icon);

 protected:
  BOOL OnInitDialog() override;

 private:
  void dojob_show_lines();
  void dojob_show_icon();

  std::wstring m_line1;
  std::wstring m_line2;
  // Kept as given; it changes nothing.
  int m_type = 0;
  HICON m_icon = nullptr;
};

class DlgMessageBox : public ZulIObject {
 public:
  bool IsCreated() const { return m_dlg.IsCreated(); }
  // A box that is open already keeps its window and takes the new lines.
  bool Create(const wchar_t* line1, const wchar_t* line2, HWND _pParent, int type);
  void Destroy() { m_dlg.DestroyWindow(); }
  void SetCaption(const wchar_t* caption) { m_dlg.SetCaption(caption); }
  void SetLines(const wchar_t* line1, const wchar_t* line2) { m_dlg.SetLines(line1, line2); }
  void SetIcon(HICON icon) { m_dlg.SetIcon(icon); }
  HWND GetSafeHwnd() const { return m_dlg.m_hWnd; }

 private:
  DlgMessageBoxCore m_dlg;
};
