#include "ui/cx_file_open_list_view.h"

#include <commctrl.h>

HWND CXFileOpenListView::Find(HWND dlg) {
  HWND view = FindWindowExW(dlg, nullptr, L"SHELLDLL_DefView", nullptr);
  return view ? FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
}

std::u16string CXFileOpenListView::GetSelectedName(HWND dlg) {
  HWND list = Find(dlg);
  if (!list || SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) != 1)
    return {};
  LRESULT index = SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  if (index < 0)
    return {};
  wchar_t text[MAX_PATH] = {};
  LVITEMW item = {};
  item.iSubItem = 0;
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  SendMessageW(list, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
  return as_u16(text);
}

int CXFileOpenListView::GetViewMode(HWND dlg) {
  HWND list = Find(dlg);
  return list ? static_cast<int>(SendMessageW(list, LVM_GETVIEW, 0, 0)) : -1;
}
