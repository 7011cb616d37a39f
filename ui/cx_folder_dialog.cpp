#include "ui/cx_folder_dialog.h"

#include <commdlg.h>
#include <dlgs.h>

#include "library/qel_app_constants.h"
#include "ui/core/qel_folder_choice.h"
#include "ui/cx_file_open_list_view.h"

namespace {

// One pattern that no real file matches, so the view lists folders only.
constexpr wchar_t kFilter[] =
    L"Files (*.XFolderDialog-8C0C924B-7A86-4e8d-8D6E-A1C50D74E8DF)\0"
    L"*.XFolderDialog-8C0C924B-7A86-4e8d-8D6E-A1C50D74E8DF\0";
constexpr wchar_t kThisProp[] = L"CXFolderDialog";
constexpr char kSection[] = "FolderHistory";
constexpr char kKeyPrefix[] = "Folder";

bool is_folder(const std::u16string& path) {
  DWORD attrs = GetFileAttributesW(as_wide(path.c_str()));
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

RECT rect_in(HWND control, HWND dlg) {
  RECT rect = {};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

CXFolderDialog::CXFolderDialog(const char16_t* initial_folder, DWORD flags, HWND parent)
    : m_initial_folder(initial_folder ? initial_folder : u""), m_flags(flags), m_parent(parent) {}

void CXFolderDialog::SetTitle(const char16_t* title) {
  m_title = title ? title : u"";
}

INT_PTR CXFolderDialog::DoModal() {
  m_ok = false;
  m_init_done = false;
  wchar_t file[MAX_PATH] = {};
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = m_parent;
  ofn.lpstrFilter = kFilter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = m_initial_folder.empty() ? nullptr : as_wide(m_initial_folder.c_str());
  ofn.lpstrTitle = as_wide(m_title.empty() ? u"Select Folder" : m_title.c_str());
  ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_ENABLESIZING |
              OFN_NOCHANGEDIR | m_flags;
  ofn.lpfnHook = HookProc;
  ofn.lCustData = reinterpret_cast<LPARAM>(this);
  GetOpenFileNameW(&ofn);
  m_dlg = nullptr;
  return m_ok ? IDOK : IDCANCEL;
}

UINT_PTR CALLBACK CXFolderDialog::HookProc(HWND hook, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_INITDIALOG) {
    auto* ofn = reinterpret_cast<OPENFILENAMEW*>(lparam);
    SetWindowLongPtrW(hook, GWLP_USERDATA, ofn->lCustData);
    return TRUE;
  }
  auto* self = reinterpret_cast<CXFolderDialog*>(GetWindowLongPtrW(hook, GWLP_USERDATA));
  if (!self || msg != WM_NOTIFY)
    return FALSE;
  switch (reinterpret_cast<NMHDR*>(lparam)->code) {
    case CDN_INITDONE:
      self->OnInitDone(GetParent(hook));
      break;
    case CDN_FOLDERCHANGE:
      self->OnFolderChange();
      break;
    case CDN_SELCHANGE:
      self->OnSelChange();
      break;
    case CDN_FILEOK:
      // Files never end this dialog; OK is handled on the dialog itself.
      SetWindowLongPtrW(hook, DWLP_MSGRESULT, 1);
      return TRUE;
  }
  return FALSE;
}

LRESULT CALLBACK CXFolderDialog::DialogProc(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto* self = static_cast<CXFolderDialog*>(GetPropW(dlg, kThisProp));
  WNDPROC proc = self->m_dialog_proc;
  if (msg == WM_COMMAND && LOWORD(wparam) == IDOK && HIWORD(wparam) == BN_CLICKED) {
    if (self->OnOK()) {
      self->m_ok = true;
      EndDialog(dlg, IDOK);
    }
    return 0;
  }
  if (msg == WM_NCDESTROY) {
    RemovePropW(dlg, kThisProp);
    SetWindowLongPtrW(dlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    return CallWindowProcW(proc, dlg, msg, wparam, lparam);
  }
  LRESULT result = CallWindowProcW(proc, dlg, msg, wparam, lparam);
  if (msg == WM_SIZE)
    self->dojob_place_history_combo();
  return result;
}

HWND CXFolderDialog::dojob_file_name_control() const {
  HWND combo = GetDlgItem(m_dlg, cmb13);
  return combo ? combo : GetDlgItem(m_dlg, edt1);
}

void CXFolderDialog::OnInitDone(HWND dlg) {
  m_dlg = dlg;
  HWND file_name = dojob_file_name_control();
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
  RECT rect = file_name ? rect_in(file_name, dlg) : RECT{0, 0, 200, 21};
  m_history.Create(dlg, rect, kHistoryComboId, font);
  // Keeps the Tab order: the combo comes where the file-name field was.
  if (file_name)
    SetWindowPos(m_history.m_hWnd, file_name, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  for (int id : {cmb13, edt1, cmb1, stc2}) {
    SendMessageW(dlg, CDM_HIDECONTROL, id, 0);
    if (HWND control = GetDlgItem(dlg, id))
      EnableWindow(control, FALSE);
  }
  SendMessageW(dlg, CDM_SETCONTROLTEXT, stc3, reinterpret_cast<LPARAM>(L"Folder:"));
  SendMessageW(dlg, CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>(L"OK"));

  m_history.SetMaxHistoryItems(kMaxHistoryItems);
  m_history.SetCheckAccess(true);
  m_history.LoadHistory(kSection, kKeyPrefix, true);
  if (SendMessageW(m_history.m_hWnd, CB_GETCOUNT, 0, 0) > 0)
    SendMessageW(m_history.m_hWnd, CB_SETCURSEL, 0, 0);
  else
    m_history.SetText(dojob_shown_folder());
  m_shown_folder = dojob_shown_folder();

  SetWindowTextW(dlg, as_wide(m_title.empty() ? u"Select Folder" : m_title.c_str()));
  SetFocus(m_history.m_hWnd);
  m_init_done = true;
  // Last: the property also tells that the dialog is ready.
  m_dialog_proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(dlg, GWLP_WNDPROC));
  SetPropW(dlg, kThisProp, this);
  SetWindowLongPtrW(dlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogProc));
}

void CXFolderDialog::dojob_place_history_combo() {
  HWND file_name = dojob_file_name_control();
  if (!file_name || !m_history.m_hWnd)
    return;
  RECT rect = rect_in(file_name, m_dlg);
  SetWindowPos(m_history.m_hWnd, nullptr, rect.left, rect.top, rect.right - rect.left, 200,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

std::u16string CXFolderDialog::dojob_shown_folder() const {
  wchar_t folder[2048] = {};
  LRESULT len = SendMessageW(m_dlg, CDM_GETFOLDERPATH, 2048, reinterpret_cast<LPARAM>(folder));
  return len > 0 ? std::u16string(as_u16(folder)) : std::u16string();
}

void CXFolderDialog::OnFolderChange() {
  // The dialog's own report of the folder it opened on leaves the newest history item shown.
  std::u16string folder = dojob_shown_folder();
  if (!m_init_done || folder.empty() || folder == m_shown_folder)
    return;
  m_shown_folder = folder;
  m_history.SetText(folder);
}

void CXFolderDialog::OnSelChange() {
  if (!m_init_done)
    return;
  std::u16string name = CXFileOpenListView::GetSelectedName(m_dlg);
  std::u16string folder = dojob_shown_folder();
  if (name.empty() || folder.empty())
    return;
  if (folder.back() != u'\\')
    folder += u'\\';
  // Display names that are no folder of this one (drives, special places) leave the field.
  if (is_folder(folder + name))
    m_history.SetText(folder + name);
}

bool CXFolderDialog::OnOK() {
  std::u16string text = m_history.GetText();
  std::u16string path;
  switch (qel_resolve_folder_choice(text, dojob_shown_folder(), &path)) {
    case qel_folder_choice::kEmpty:
      m_history.SetText(u"");
      dojob_message(u"Please select a folder.");
      return false;
    case qel_folder_choice::kTooLong:
      path = text;
      break;
    case qel_folder_choice::kPath:
      if (is_folder(path)) {
        m_path = path;
        m_history.SetText(path);
        m_history.SaveHistory();
        return true;
      }
      break;
  }
  dojob_message(u"The folder '" + path + u"' isn't accessible.");
  return false;
}

void CXFolderDialog::dojob_message(const std::u16string& text) {
  MessageBoxW(m_dlg, as_wide(text.c_str()), as_wide(g_qel_product_name),
              MB_OK | MB_ICONEXCLAMATION);
}
