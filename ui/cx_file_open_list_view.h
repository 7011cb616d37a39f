// The file list ("SysListView32") inside the open-file dialog's shell view. The view is made
// anew on every change of folder, so it is looked up each time rather than held.
#pragma once

#include <string>

#include "platform/win32/win.h"

class CXFileOpenListView {
 public:
  // The list view of the dialog `dlg`, or null while it has none.
  static HWND Find(HWND dlg);
  // Text of the focused selected item, empty when nothing is selected.
  static std::u16string GetSelectedName(HWND dlg);
  // LV_VIEW_* of the list, or -1 without a list.
  static int GetViewMode(HWND dlg);
};
