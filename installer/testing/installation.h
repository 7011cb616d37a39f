// What the setup program tests share: running setup and uninstaller, reading what they left in
// the registry and on disk, and the conditions they meet (a hung program, a denied key).
#pragma once

#include <string>
#include <thread>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"

namespace qel_testing {

inline constexpr const wchar_t* kInstalledFiles[] = {
    L"quorvantine_msn.exe", L"quorvantine_msn_ps.dll", L"qel_msn_hook.dll", L"uninstall.exe"};
inline constexpr wchar_t kSettingsKey[] = L"Software\\Corvelle Software\\Quorvantine for Msn";
inline constexpr wchar_t kSettingsCacheKey[] =
    L"Software\\Corvelle Software\\Quorvantine for Msn\\avi_file_info_cache";
inline constexpr wchar_t kSettingsProfileKey[] =
    L"Software\\Corvelle Software\\Quorvantine for Msn\\0";

// The setup built by scripts/package beside the tests.
std::wstring setup_path();
std::wstring engine_client_path();
std::wstring program_files();
std::wstring default_install_dir();

// Exit codes; -1 when the program did not end within a minute.
long run_setup(const std::wstring& args);
// The waiting form: the uninstaller runs from the installation and returns when done.
long run_uninstaller(const std::wstring& dir, const std::wstring& args);
// Uninstalls whatever installation the Uninstall entry names; true when none is left.
bool remove_any_installation();

// True when `path` is gone or is to be removed at the next restart; the restart's entry is
// taken away again, so that it cannot hit a later installation.
bool removed_or_pending(const std::wstring& path);

// Values of the Uninstall entry: "<none>" / -1 when missing.
std::wstring uninstall_value(const wchar_t* name);
long uninstall_dword(const wchar_t* name);

std::wstring start_menu_shortcut();
std::wstring shortcut_target(const std::wstring& link);

// The "Run" value that starts the program at logon ("<none>" when missing).
std::wstring run_value();
void set_run_value(const std::wstring& text);

void set_user_binary(const wchar_t* key,
                     const wchar_t* name,
                     const void* data,
                     size_t size,
                     DWORD type = REG_BINARY);
long user_dword(const wchar_t* key, const wchar_t* name);
bool user_key_exists(const wchar_t* key);

// The fixed version numbers of a file's version resource as "a.b.c.d".
std::wstring file_version(const std::wstring& path);
std::wstring process_image(DWORD pid);

// A top-level dialog of process `pid` that holds a control `control_id` (0xFFFF: a message
// box's text), waited for; null when none comes.
HWND wait_for_dialog(DWORD pid, int control_id);
std::wstring control_text(HWND dialog, int control_id);
// Presses a dialog's button as a click would.
void press(HWND dialog, int button_id);

// A process this test did not start, or started by a command line, to learn how it ended.
class ScopedProcess {
 public:
  explicit ScopedProcess(DWORD pid);
  // Takes over the handle.
  explicit ScopedProcess(HANDLE process) : handle_(process) {}
  bool started() const { return static_cast<bool>(handle_); }
  ScopedProcess(const ScopedProcess&) = delete;
  ScopedProcess& operator=(const ScopedProcess&) = delete;
  long WaitExit(DWORD timeout_ms = 20000);

 private:
  platform::ScopedKernelHandle handle_;
};

// Runs a command line as the system runs one (a "Run" value, an uninstall string): as it is,
// without quotes added. Not started() when it could not start.
ScopedProcess start_command_line(std::wstring command);

// A key under HKEY_CLASSES_ROOT that may be read but not written; removed again at the end.
class ReadOnlyClassKey {
 public:
  explicit ReadOnlyClassKey(std::wstring name);
  ~ReadOnlyClassKey();
  ReadOnlyClassKey(const ReadOnlyClassKey&) = delete;
  ReadOnlyClassKey& operator=(const ReadOnlyClassKey&) = delete;

 private:
  std::wstring name_;
};

// A window of the program's top window class on a thread that takes no messages: a running
// program that does not answer the request to end.
class HungTopWindow {
 public:
  HungTopWindow();
  ~HungTopWindow();
  HungTopWindow(const HungTopWindow&) = delete;
  HungTopWindow& operator=(const HungTopWindow&) = delete;
  bool exists() const { return IsWindow(wnd_) != 0; }

 private:
  platform::ScopedKernelHandle ready_;
  platform::ScopedKernelHandle release_;
  HWND wnd_ = nullptr;
  std::thread thread_;
};

}  // namespace qel_testing
