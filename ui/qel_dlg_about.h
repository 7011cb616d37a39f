// The about box: banner, version, owner notice and the home page as a link that opens in
// the browser. DlgAboutCore is the dialog; DlgAbout the framework object owners hold.
#pragma once

#include <functional>
#include <string>

#include "platform/win32/win.h"
#include "qel_lib/qel_iobject.h"
#include "ui/foo_button.h"
#include "ui/qel_dlg_template.h"
#include "winkit/wk_gdi.h"

class DlgAboutCore : public DlgTemplate {
 public:
  // Opens an address with the shell; tests put a recorder in its place.
  using LinkOpener = std::function<bool(const std::wstring& address)>;

  DlgAboutCore();
  bool Create(HWND _pParent);
  void SetLinkOpener(LinkOpener opener) { m_open_link = std::move(opener); }

 protected:
  BOOL OnInitDialog() override;
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;

 private:
  void dojob_init_texts();
  void dojob_init_link();

  WkBrush m_white_brush;
  WkBitmap m_banner;
  FooButton m_link;
  LinkOpener m_open_link;
};

class DlgAbout : public ZulIObject {
 public:
  // An open box is only brought to the top.
  bool Create(HWND _pParent);
  void Destroy() { m_dlg.DestroyWindow(); }
  bool IsCreated() const { return m_dlg.IsCreated(); }
  HWND GetSafeHwnd() const { return m_dlg.m_hWnd; }
  DlgAboutCore* GetDlg() { return &m_dlg; }

 private:
  DlgAboutCore m_dlg;
};

// The shell's default handler for an address (ShellExecuteW "open").
bool qel_shell_open_address(const std::wstring& address);
