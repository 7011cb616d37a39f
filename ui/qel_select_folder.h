// The folder prompt of the recording-folder change: the folder dialog on a starting folder.
#pragma once

#include <cstdint>

#include "platform/win32/win.h"

// True when the user chose a folder; its path is then in `_buf` (capacity `_len`). A path
// that does not fit the buffer is not taken: the result is then false.
bool qel_select_folder(HWND _owner,
                       const char16_t* _initial,
                       const char16_t* _title,
                       char16_t* _buf,
                       uint32_t _len);
