#include "installer/testing/installation.h"

#include <filesystem>
#include <vector>

#include "app/testing/program_runner.h"
#include "library/qel_app_constants.h"
#include "platform/win32/hidden_window.h"
#include "platform/win32/scoped_handle.h"
#include "res/product_version.h"

#include <sddl.h>
#include <shlobj.h>

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
  platform::ScopedRegKey opened(handle);
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
  platform::ScopedKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process)
    return L"<none>";
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  return QueryFullProcessImageNameW(process.get(), 0, path, &size) ? path : L"<none>";
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

long ScopedProcess::WaitExit(DWORD timeout_ms) {
  if (!handle_ || WaitForSingleObject(handle_.get(), timeout_ms) != WAIT_OBJECT_0)
    return -1;
  DWORD code = 0;
  GetExitCodeProcess(handle_.get(), &code);
  return static_cast<long>(code);
}

ScopedProcess start_command_line(std::wstring command) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return ScopedProcess(static_cast<HANDLE>(nullptr));
  platform::ScopedKernelHandle thread(pi.hThread);
  return ScopedProcess(pi.hProcess);
}

ReadOnlyClassKey::ReadOnlyClassKey(std::wstring name) : name_(std::move(name)) {
  HKEY raw = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, name_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &raw, nullptr) != ERROR_SUCCESS)
    return;
  platform::ScopedRegKey key(raw);
  PSECURITY_DESCRIPTOR sd = nullptr;
  // Everyone may read; nobody may write.
  if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &sd,
                                                           nullptr)) {
    RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
  }
}

ReadOnlyClassKey::~ReadOnlyClassKey() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, name_.c_str());
}

HungTopWindow::HungTopWindow()
    : ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  thread_ = std::thread([this] {
    // Class names are ASCII: the wide name is the class FindWindowA looks for.
    const std::string ansi = g_qel_app_top_wnd_class;
    const std::wstring name(ansi.begin(), ansi.end());
    platform::HiddenWindow window;
    window.Create(name.c_str(), WS_POPUP | WS_DISABLED, nullptr, nullptr);
    wnd_ = window.hwnd();
    SetEvent(ready_.get());
    // No message is taken until the test lets go.
    WaitForSingleObject(release_.get(), INFINITE);
    window.Destroy();
    UnregisterClassW(name.c_str(), GetModuleHandleW(nullptr));
  });
  WaitForSingleObject(ready_.get(), 10000);
}

HungTopWindow::~HungTopWindow() {
  SetEvent(release_.get());
  thread_.join();
}

}  // namespace qel_testing
