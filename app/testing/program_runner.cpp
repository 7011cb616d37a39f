#include "app/testing/program_runner.h"

#include "library/qel_app_constants.h"
#include "platform/paths.h"

namespace qel_testing {

std::wstring bin_dir() {
  std::u16string folder = platform::program_folder();
  return std::wstring(as_wide(folder.c_str()), folder.size());
}

std::wstring temp_dir() {
  wchar_t temp[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp, n);
}

bool wait_until(const std::function<bool()>& done, DWORD timeout_ms) {
  for (DWORD waited = 0; waited < timeout_ms; waited += 50) {
    if (done())
      return true;
    Sleep(50);
  }
  return done();
}

HWND app_top_wnd() {
  return FindWindowA(g_qel_app_top_wnd_class, nullptr);
}

HWND main_wnd() {
  return FindWindowW(nullptr, kMainTitle);
}

HWND main_wnd_of(DWORD pid) {
  HWND wnd = nullptr;
  while ((wnd = FindWindowExW(nullptr, wnd, nullptr, kMainTitle))) {
    if (window_pid(wnd) == pid)
      return wnd;
  }
  return nullptr;
}

bool main_wnd_visible() {
  return IsWindowVisible(main_wnd()) != 0;
}

DWORD window_pid(HWND wnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  return pid;
}

void send_shutdown() {
  HWND top = app_top_wnd();
  if (!top)
    return;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(top, RegisterWindowMessageA(g_qel_wm_shutdown_app_name), 0, 0,
                      SMTO_ABORTIFHUNG, 10000, &result);
}

bool end_running_program() {
  return wait_until([] {
    send_shutdown();
    return !app_top_wnd();
  });
}

std::string read_shared_file(const std::wstring& path) {
  platform::ScopedFileHandle file(CreateFileW(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, 0, nullptr));
  if (!file)
    return {};
  std::string data;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(file.get(), buf, sizeof buf, &n, nullptr) && n > 0)
    data.append(buf, n);
  return data;
}

std::string narrow(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string s(n > 0 ? n - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
  return s;
}

std::wstring widen(const std::string& s) {
  int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? n - 1 : 0, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, w.data(), n);
  return w;
}

KilledProgramClasses::~KilledProgramClasses() {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE service =
      manager ? OpenServiceW(manager, L"RpcSs", SERVICE_STOP | SERVICE_QUERY_STATUS) : nullptr;
  SERVICE_STATUS status = {};
  if (service && ControlService(service, SERVICE_CONTROL_STOP, &status)) {
    wait_until([&] {
      return QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_STOPPED;
    });
  }
  if (service)
    CloseServiceHandle(service);
  if (manager)
    CloseServiceHandle(manager);
}

Process::Process(const std::wstring& exe, const std::wstring& args) {
  std::wstring cmd = L"\"" + exe + L"\" " + args;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    start_error_ = GetLastError();
    return;
  }
  platform::ScopedKernelHandle thread(pi.hThread);
  process_.reset(pi.hProcess);
  pid_ = pi.dwProcessId;
}

Process::~Process() {
  Kill();
}

bool Process::Running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

void Process::Kill() {
  if (Running()) {
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), 5000);
  }
}

long Process::WaitExit(DWORD timeout_ms) {
  if (!process_ || WaitForSingleObject(process_.get(), timeout_ms) != WAIT_OBJECT_0)
    return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return static_cast<long>(code);
}

Program::Program(const std::wstring& args, const std::wstring& dir)
    : Process(dir + L"quorvantine_msn.exe", args) {}

Program::~Program() {
  if (!Running())
    return;
  send_shutdown();
  if (WaitExit(5000) != -1)
    return;
  // A program that must be killed leaves its class registered with Wine's RPC service, which
  // would hand it to the engines of the tests after this one.
  KilledProgramClasses forget;
  Kill();
}

}  // namespace qel_testing
