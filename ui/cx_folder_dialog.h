// An Explorer-style open-file dialog that selects folders: a filter that matches no file
// leaves only folders in the view, a history combo of recently chosen folders takes the place
// of the file-name field, and OK accepts only a folder that exists and can be reached.
#pragma once

#include <string>

#include "platform/win32/win.h"
#include "ui/c_history_combo.h"

class CXFolderDialog {
 public:
  // The history combo's control id, above the range the common dialogs use.
  static constexpr UINT kHistoryComboId = 0x600;
  static constexpr int kMaxHistoryItems = 50;

  CXFolderDialog(const char16_t* initial_folder, DWORD flags, HWND parent);
  CXFolderDialog(const CXFolderDialog&) = delete;
  CXFolderDialog& operator=(const CXFolderDialog&) = delete;

  // Empty uses "Select Folder".
  void SetTitle(const char16_t* title);
  // IDOK when a folder was chosen, else IDCANCEL.
  INT_PTR DoModal();
  const std::u16string& GetPath() const { return m_path; }

 private:
  static UINT_PTR CALLBACK HookProc(HWND hook, UINT msg, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam);

  void OnInitDone(HWND dlg);
  void OnFolderChange();
  void OnSelChange();
  // False keeps the dialog open.
  bool OnOK();
  void dojob_place_history_combo();
  HWND dojob_file_name_control() const;
  std::u16string dojob_shown_folder() const;
  void dojob_message(const std::u16string& text);

  std::u16string m_initial_folder;
  std::u16string m_title;
  std::u16string m_path;
  // The folder the view showed when the field last followed it.
  std::u16string m_shown_folder;
  DWORD m_flags;
  HWND m_parent;
  HWND m_dlg = nullptr;
  WNDPROC m_dialog_proc = nullptr;
  CHistoryCombo m_history;
  bool m_ok = false;
  bool m_init_done = false;
};
