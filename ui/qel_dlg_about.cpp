#include "ui/qel_dlg_about.h"

#include <shellapi.h>

#include "library/qel_app_constants.h"
#include "res/resource.h"
#include "ui/qel_l10n_strings.h"
#include "winkit/wk_resource.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

const wchar_t* text_of(unsigned id) {
  const wchar_t* text = qel_l10n_get_string(id);
  return text ? text : L"";
}

}  // namespace

bool qel_shell_open_address(const std::wstring& address) {
  HINSTANCE result =
      ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

DlgAboutCore::DlgAboutCore()
    : m_white_brush(CreateSolidBrush(kWhite)), m_open_link(qel_shell_open_address) {}

bool DlgAboutCore::Create(HWND _pParent) {
  return DlgTemplate::Create(IDD_ABOUT, _pParent);
}

BOOL DlgAboutCore::OnInitDialog() {
  SetWindowText(text_of(IDS_ABOUT));
  dojob_init_texts();
  dojob_init_link();
  return TRUE;
}

void DlgAboutCore::dojob_init_texts() {
  if (HWND picture = GetDlgItem(IDC_ABOUT_PICTURE)) {
    m_banner.reset(WkLoadBitmap(IDB_ABOUT_BANNER));
    SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_banner.get()));
  }
  // The table's "%s" takes the version; the text is never used as a printf format.
  std::wstring version = text_of(IDS_VERSION_FMT);
  if (size_t at = version.find(L"%s"); at != std::wstring::npos)
    version.replace(at, 2, as_wide(g_qel_program_version));
  SetDlgItemText(IDC_ABOUT_VERSION, version.c_str());
  SetDlgItemText(IDC_ABOUT_NOTICE, text_of(IDS_OWNER_NOTICE));
  SetDlgItemText(IDC_ABOUT_HOME_PAGE_LABEL, text_of(IDS_HOME_PAGE));
  SetDlgItemText(IDC_ABOUT_BLANK, text_of(IDS_BLANK_LINE));
}

void DlgAboutCore::dojob_init_link() {
  if (!m_link.SubclassDlgItem(IDC_ABOUT_LINK, m_hWnd))
    return;
  m_link.SetType(kFooHyperlink);
  m_link.SetTextStyle(kFooTextLeft);
  m_link.SetBackgroundColor(kWhite, false);
  m_link.SetWindowText(as_wide(g_qel_site_addresses[kQelSiteHome].wide));
}

LRESULT DlgAboutCore::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wparam), kWhite);
      return reinterpret_cast<LRESULT>(m_white_brush.get());
    case WM_COMMAND:
      if (LOWORD(wparam) == IDC_ABOUT_LINK && HIWORD(wparam) == BN_CLICKED) {
        if (m_open_link)
          m_open_link(as_wide(g_qel_site_addresses[kQelSiteHome].wide));
        return 0;
      }
      break;
  }
  return DlgTemplate::OnMessage(msg, wparam, lparam);
}

bool DlgAbout::Create(HWND _pParent) {
  if (m_dlg.IsCreated()) {
    m_dlg.BringToTop();
    return true;
  }
  return m_dlg.Create(_pParent);
}
