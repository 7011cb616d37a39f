// Windows' own verdict on a file's Authenticode signature.
#pragma once

#include "platform/win32/win.h"

namespace platform {

// WinVerifyTrust (generic verify, no UI, no revocation check) on the file at `path`; `file`,
// when not null, is that file held open. ERROR_SUCCESS when the signature holds.
LONG verify_trust(HANDLE file, const wchar_t* path);

}  // namespace platform
