#include "ui/qel_select_folder.h"

#include "ui/cx_folder_dialog.h"

bool qel_select_folder(HWND _owner,
                       const char16_t* _initial,
                       const char16_t* _title,
                       char16_t* _buf,
                       uint32_t _len) {
  if (!_buf || !_len)
    return false;
  CXFolderDialog dialog(_initial, 0, _owner);
  dialog.SetTitle(_title);
  if (dialog.DoModal() != IDOK)
    return false;
  const std::u16string& path = dialog.GetPath();
  if (path.size() >= _len)
    return false;
  path.copy(_buf, path.size());
  _buf[path.size()] = 0;
  return true;
}
