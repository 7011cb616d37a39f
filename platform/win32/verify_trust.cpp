#include "platform/win32/verify_trust.h"

#include <softpub.h>
#include <wintrust.h>

namespace platform {

LONG verify_trust(HANDLE file, const wchar_t* path) {
  WINTRUST_FILE_INFO info = {};
  info.cbStruct = sizeof info;
  info.pcwszFilePath = path;
  info.hFile = file;
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &info;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  HWND no_ui = static_cast<HWND>(INVALID_HANDLE_VALUE);
  LONG status = WinVerifyTrust(no_ui, &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(no_ui, &action, &data);
  return status;
}

}  // namespace platform
