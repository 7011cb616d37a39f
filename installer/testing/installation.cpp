#include "installer/testing/installation.h"

#include <filesystem>
#include <vector>

#include "app/testing/program_runner.h"
#include "library/qel_app_constants.h"
#include "res/product_version.h"

#include <sddl.h>
#include <shlobj.h>
#include <wintrust.h>

#include <softpub.h>

namespace fs = std::filesystem;

namespace qel_testing {

namespace {

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvantine for Msn";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunName[] = L"quorvantine_msn";
constexpr DWORD kSetupWaitMs = 60000;

std::wstring string_value(HKEY root, const wchar_t* key, const wchar_t* name) {
  wchar_t data[2048] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  if (RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
    return L"<none>";
  return data;
}

long dword_value(HKEY root, const wchar_t* key, const wchar_t* name) {
  DWORD data = 0;
  DWORD size = sizeof data;
  if (RegGetValueW(root, key, name, RRF_RT_REG_DWORD, nullptr, &data, &size) != ERROR_SUCCESS)
    return -1;
  return static_cast<long>(data);
}

std::wstring known_folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

// A path of the Linux side as Wine's programs see it.
std::wstring from_build(const char* path) {
  std::wstring w = L"Z:" + widen(path);
  for (wchar_t& c : w)
    if (c == L'/')
      c = L'\\';
  return w;
}

}  // namespace

std::wstring setup_path() {
  return from_build(QEL_SETUP_DIR) + L"\\QuorvantineMsnSetup-" + widen(QEL_VERSION_TEXT) + L".exe";
}

std::wstring engine_client_path() {
  return from_build(QEL_ENGINE_CLIENT);
}

std::wstring program_files() {
  return known_folder(CSIDL_PROGRAM_FILES);
}

std::wstring default_install_dir() {
  return program_files() + L"\\Corvelle Software\\Quorvantine for Msn";
}

long run_setup(const std::wstring& args) {
  return Process(setup_path(), args).WaitExit(kSetupWaitMs);
}

long run_uninstaller(const std::wstring& dir, const std::wstring& args) {
  // "_?=" must come last and unquoted, whatever the path holds.
  return Process(dir + L"\\uninstall.exe", args + L" _?=" + dir).WaitExit(kSetupWaitMs);
}

bool remove_any_installation() {
  std::wstring dir = uninstall_value(L"InstallLocation");
  if (dir != L"<none>") {
    run_uninstaller(dir, L"/S");
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  return uninstall_value(L"InstallLocation") == L"<none>";
}

bool removed_or_pending(const std::wstring& path) {
  if (!fs::exists(path))
    return true;
  constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  constexpr wchar_t kPending[] = L"PendingFileRenameOperations";
  DWORD size = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPending, RRF_RT_REG_MULTI_SZ, nullptr,
                   nullptr, &size) != ERROR_SUCCESS)
    return false;
  std::wstring data(size / sizeof(wchar_t), L'\0');
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPending, RRF_RT_REG_MULTI_SZ, nullptr,
                   data.data(), &size) != ERROR_SUCCESS)
    return false;
  // Pairs of source and target, where an empty target means removal: the pairs end at the
  // first empty source, not at the first empty string.
  std::vector<std::wstring> entries;
  size_t at = 0;
  for (size_t end; (end = data.find(L'\0', at)) != std::wstring::npos; at = end + 1)
    entries.push_back(data.substr(at, end - at));
  std::wstring kept;
  bool found = false;
  for (size_t i = 0; i + 1 < entries.size() && !entries[i].empty(); i += 2) {
    if (entries[i + 1].empty() && lstrcmpiW(entries[i].c_str(), (L"\\??\\" + path).c_str()) == 0)
      found = true;
    else
      kept += entries[i] + L'\0' + entries[i + 1] + L'\0';
  }
  if (kept.empty()) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPending);
  } else {
    kept += L'\0';
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPending, REG_MULTI_SZ, kept.data(),
                    static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
  }
  return found;
}

std::wstring uninstall_value(const wchar_t* name) {
  return string_value(HKEY_LOCAL_MACHINE, kUninstallKey, name);
}

long uninstall_dword(const wchar_t* name) {
  return dword_value(HKEY_LOCAL_MACHINE, kUninstallKey, name);
}

std::wstring start_menu_shortcut() {
  return known_folder(CSIDL_COMMON_PROGRAMS) + L"\\Quorvantine for Msn.lnk";
}

std::wstring shortcut_target(const std::wstring& link) {
  IShellLinkW* shell_link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shell_link))))
    return L"<no shell link>";
  std::wstring target = L"<unreadable>";
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
        SUCCEEDED(shell_link->GetPath(path, MAX_PATH, nullptr, 0)))
      target = path;
    file->Release();
  }
  shell_link->Release();
  return target;
}

std::wstring run_value() {
  return string_value(HKEY_CURRENT_USER, kRunKey, kRunName);
}

void set_run_value(const std::wstring& text) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunName, REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void set_user_binary(const wchar_t* key,
                     const wchar_t* name,
                     const void* data,
                     size_t size,
                     DWORD type) {
  RegSetKeyValueW(HKEY_CURRENT_USER, key, name, type, data, static_cast<DWORD>(size));
}

long user_dword(const wchar_t* key, const wchar_t* name) {
  return dword_value(HKEY_CURRENT_USER, key, name);
}

bool user_key_exists(const wchar_t* key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return false;
  RegCloseKey(handle);
  return true;
}

std::wstring file_version(const std::wstring& path) {
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len) || !info)
    return L"<none>";
  return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." +
         std::to_wstring(LOWORD(info->dwFileVersionMS)) + L"." +
         std::to_wstring(HIWORD(info->dwFileVersionLS)) + L"." +
         std::to_wstring(LOWORD(info->dwFileVersionLS));
}

std::wstring process_image(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process)
    return L"<none>";
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  std::wstring image = QueryFullProcessImageNameW(process, 0, path, &size) ? path : L"<none>";
  CloseHandle(process);
  return image;
}

LONG verify_signature(const std::wstring& path) {
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path.c_str();
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return result;
}

HWND wait_for_dialog(DWORD pid, int control_id) {
  struct Search {
    DWORD pid;
    int control_id;
    HWND found;
  } search = {pid, control_id, nullptr};
  wait_until([&] {
    EnumWindows(
        [](HWND wnd, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          wchar_t cls[16] = {};
          GetClassNameW(wnd, cls, 16);
          if (window_pid(wnd) != s->pid || lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(wnd) ||
              !GetDlgItem(wnd, s->control_id))
            return TRUE;
          s->found = wnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  });
  return search.found;
}

std::wstring control_text(HWND dialog, int control_id) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(dialog, control_id, text, 1024);
  return text;
}

void press(HWND dialog, int button_id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button_id)));
}

ScopedProcess::ScopedProcess(DWORD pid)
    : handle_(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {}

ScopedProcess::~ScopedProcess() {
  if (handle_)
    CloseHandle(handle_);
}

long ScopedProcess::WaitExit(DWORD timeout_ms) {
  if (!handle_ || WaitForSingleObject(handle_, timeout_ms) != WAIT_OBJECT_0)
    return -1;
  DWORD code = 0;
  GetExitCodeProcess(handle_, &code);
  return static_cast<long>(code);
}

ReadOnlyClassKey::ReadOnlyClassKey(std::wstring name) : name_(std::move(name)) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, name_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return;
  PSECURITY_DESCRIPTOR sd = nullptr;
  // Everyone may read; nobody may write.
  if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &sd,
                                                           nullptr)) {
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
  }
  RegCloseKey(key);
}

ReadOnlyClassKey::~ReadOnlyClassKey() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, name_.c_str());
}

HungTopWindow::HungTopWindow()
    : ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  thread_ = std::thread([this] {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = g_qel_app_top_wnd_class;
    RegisterClassA(&cls);
    wnd_ = CreateWindowExA(0, g_qel_app_top_wnd_class, "", WS_POPUP | WS_DISABLED, 0, 0, 0, 0,
                           nullptr, nullptr, cls.hInstance, nullptr);
    SetEvent(ready_);
    // No message is taken until the test lets go.
    WaitForSingleObject(release_, INFINITE);
    DestroyWindow(wnd_);
    UnregisterClassA(g_qel_app_top_wnd_class, cls.hInstance);
  });
  WaitForSingleObject(ready_, 10000);
}

HungTopWindow::~HungTopWindow() {
  SetEvent(release_);
  thread_.join();
  CloseHandle(ready_);
  CloseHandle(release_);
}

}  // namespace qel_testing
