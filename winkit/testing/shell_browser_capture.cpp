#include "winkit/testing/shell_browser_capture.h"

#include <vector>

#include "platform/win32/scoped_handle.h"

namespace {

// The shell reads the handler of http addresses here (Wine does not merge the user's
// classes into it).
constexpr wchar_t kHttpOpen[] = L"http\\shell\\open\\command";

bool read_default(std::wstring* value) {
  DWORD size = 0;
  if (RegGetValueW(HKEY_CLASSES_ROOT, kHttpOpen, nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
      ERROR_SUCCESS)
    return false;
  std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1);
  if (RegGetValueW(HKEY_CLASSES_ROOT, kHttpOpen, nullptr, RRF_RT_REG_SZ, nullptr, buf.data(),
                   &size) != ERROR_SUCCESS)
    return false;
  *value = buf.data();
  return true;
}

bool write_default(const std::wstring& value) {
  HKEY created;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kHttpOpen, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created,
                      nullptr) != ERROR_SUCCESS)
    return false;
  platform::ScopedRegKey key(created);
  return RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void pump_for(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  } while (static_cast<int>(end - GetTickCount()) > 0);
}

}  // namespace

std::wstring WkWindowsPath(const std::string& linux_path) {
  std::wstring w = L"Z:";
  for (char c : linux_path)
    w += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return w;
}

ShellBrowserCapture::ShellBrowserCapture(const std::wstring& browser_exe) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  out_ = std::wstring(dir) + L"browser_sim-" + std::to_wstring(GetCurrentProcessId()) + L".url";
  DeleteFileW(out_.c_str());
  had_previous_ = read_default(&previous_);
  installed_ = write_default(L"\"" + browser_exe + L"\" \"" + out_ + L"\" \"%1\"");
}

ShellBrowserCapture::~ShellBrowserCapture() {
  if (had_previous_)
    write_default(previous_);
  else
    RegDeleteKeyValueW(HKEY_CLASSES_ROOT, kHttpOpen, nullptr);
  DeleteFileW(out_.c_str());
}

std::string ShellBrowserCapture::Wait(DWORD timeout_ms) {
  DWORD start = GetTickCount();
  while (GetFileAttributesW(out_.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount() - start > timeout_ms)
      return std::string();
    pump_for(50);
  }
  std::string address;
  {
    platform::ScopedFileHandle h(CreateFileW(out_.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    char buf[4096];
    DWORD got = 0;
    if (h && ReadFile(h.get(), buf, sizeof buf, &got, nullptr))
      address.assign(buf, got);
  }
  DeleteFileW(out_.c_str());
  return address;
}
