// "/Regserver" and "/Unregserver" write and remove exactly the registration of the COM
// classes, and a start by COM for the engine is a start by the user.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "library/qel_app_constants.h"
#include "platform/win32/win.h"

namespace {

constexpr wchar_t kAppId[] = L"{F1BE7889-80DA-4C7F-84DD-4EF9FF4B8248}";
constexpr wchar_t kAppClsid[] = L"{2D2E40D2-0595-4697-B889-A87AB4250109}";
constexpr wchar_t kUiClsid[] = L"{C21F3A8D-176E-4644-A92F-69A93B5B6823}";
constexpr wchar_t kPsClsid[] = L"{6C3B0E52-4D1A-4F37-9B2E-715AC8403D19}";
constexpr const wchar_t* kInterfaces[] = {
    L"{7B67BFAC-A2DA-49BE-A69E-909CE167A86B}", L"{CA28B384-DF62-4726-973D-18A0656F781A}",
    L"{34D34934-E64E-4B94-8D31-2AA7C8561FC8}", L"{10E03383-9244-4DAF-80BA-497C6C933803}"};

std::wstring program_dir() {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

bool wait_until(const std::function<bool()>& done, DWORD timeout_ms = 20000) {
  for (DWORD waited = 0; waited < timeout_ms; waited += 50) {
    if (done())
      return true;
    Sleep(50);
  }
  return done();
}

// Runs a program beside this one to its end; its exit code, or -1.
long run(const std::wstring& exe, const std::wstring& args) {
  std::wstring cmd = L"\"" + program_dir() + exe + L"\" " + args;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0)
    GetExitCodeProcess(pi.hProcess, &code);
  else
    TerminateProcess(pi.hProcess, 99);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<long>(code);
}

bool key_exists(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

// A string value of a key under HKEY_CLASSES_ROOT ("" names the default value); "<none>"
// when the key or the value is missing.
std::wstring value(const std::wstring& path, const wchar_t* name = L"") {
  wchar_t data[1024] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), *name ? name : nullptr, RRF_RT_REG_SZ, nullptr,
                   data, &size) != ERROR_SUCCESS)
    return L"<none>";
  return data;
}

// Every key the registration writes, with no trace of it left on removal.
std::vector<std::wstring> registered_keys() {
  std::vector<std::wstring> keys = {std::wstring(L"AppID\\") + kAppId,
                                    L"AppID\\quorvantine_msn.EXE",
                                    L"quorvantine_msn.co_qel_app_msn.1",
                                    L"quorvantine_msn.co_qel_app_msn",
                                    std::wstring(L"CLSID\\") + kAppClsid,
                                    L"test_qel_ui.QelUI.1",
                                    L"test_qel_ui.QelUI",
                                    std::wstring(L"CLSID\\") + kUiClsid,
                                    std::wstring(L"CLSID\\") + kPsClsid};
  for (const wchar_t* iid : kInterfaces)
    keys.push_back(std::wstring(L"Interface\\") + iid);
  return keys;
}

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegCreateKeyA(HKEY_CURRENT_USER, g_qel_settings_path, &settings_);
    SetEnable(0);
  }
  void TearDown() override {
    run(L"quorvantine_msn.exe", L"/Unregserver");
    RegCloseKey(settings_);
  }
  void SetEnable(DWORD v) {
    RegSetValueExA(settings_, "sys_auto_start_enable", 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&v), sizeof v);
  }
  long GetEnable() {
    DWORD v = 0, size = sizeof v;
    if (RegQueryValueExA(settings_, "sys_auto_start_enable", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&v), &size))
      return -1;
    return static_cast<long>(v);
  }
  HKEY settings_ = nullptr;
};

TEST_F(RegistrationTest, RegserverWritesTheScriptsAndUnregserverRemovesThem) {
  ASSERT_EQ(run(L"quorvantine_msn.exe", L"/Regserver"), 0);
  EXPECT_EQ(GetEnable(), 0) << "registering must not create the application";
  EXPECT_EQ(FindWindowA(g_qel_app_top_wnd_class, nullptr), nullptr);

  std::wstring module = program_dir() + L"quorvantine_msn.exe";
  std::wstring app = std::wstring(L"CLSID\\") + kAppClsid;
  std::wstring ui = std::wstring(L"CLSID\\") + kUiClsid;
  EXPECT_EQ(value(std::wstring(L"AppID\\") + kAppId), L"quorvantine_msn");
  EXPECT_EQ(value(L"AppID\\quorvantine_msn.EXE", L"AppID"), kAppId);
  EXPECT_EQ(value(L"quorvantine_msn.co_qel_app_msn.1"), L"co_qel_app_msn Class");
  EXPECT_EQ(value(L"quorvantine_msn.co_qel_app_msn.1\\CLSID"), kAppClsid);
  EXPECT_EQ(value(L"quorvantine_msn.co_qel_app_msn"), L"co_qel_app_msn Class");
  EXPECT_EQ(value(L"quorvantine_msn.co_qel_app_msn\\CLSID"), kAppClsid);
  EXPECT_EQ(value(L"quorvantine_msn.co_qel_app_msn\\CurVer"), L"quorvantine_msn.co_qel_app_msn.1");
  EXPECT_EQ(value(app), L"co_qel_app_msn Class");
  EXPECT_EQ(value(app + L"\\ProgID"), L"quorvantine_msn.co_qel_app_msn.1");
  EXPECT_EQ(value(app + L"\\VersionIndependentProgID"), L"quorvantine_msn.co_qel_app_msn");
  EXPECT_EQ(value(app + L"\\LocalServer32"), module);
  EXPECT_EQ(value(app, L"AppID"), kAppId);
  EXPECT_EQ(value(app + L"\\TypeLib"), L"{BD40E13B-B699-4BB6-8323-906271DEF887}");
  EXPECT_EQ(value(L"test_qel_ui.QelUI.1"), L"QelUI Class");
  EXPECT_EQ(value(L"test_qel_ui.QelUI.1\\CLSID"), kUiClsid);
  EXPECT_EQ(value(L"test_qel_ui.QelUI\\CurVer"), L"test_qel_ui.QelUI.1");
  EXPECT_EQ(value(ui), L"QelUI Class");
  EXPECT_EQ(value(ui + L"\\ProgID"), L"test_qel_ui.QelUI.1");
  EXPECT_EQ(value(ui + L"\\VersionIndependentProgID"), L"test_qel_ui.QelUI");
  EXPECT_TRUE(key_exists(ui + L"\\Programmable"));
  EXPECT_EQ(value(ui + L"\\LocalServer32"), module);
  EXPECT_EQ(value(ui, L"AppID"), kAppId);
  EXPECT_EQ(value(ui + L"\\TypeLib"), L"{AD40E13B-B699-4BB6-8323-906271DEF887}");
  // The proxy/stub DLL, for engines that do not bring their own.
  for (const wchar_t* iid : kInterfaces)
    EXPECT_EQ(value(std::wstring(L"Interface\\") + iid + L"\\ProxyStubClsid32"), kPsClsid);

  ASSERT_EQ(run(L"quorvantine_msn.exe", L"-Unregserver"), 0);
  for (const std::wstring& key : registered_keys())
    EXPECT_FALSE(key_exists(key)) << testing::PrintToString(key);
  EXPECT_TRUE(key_exists(L"AppID"));
  EXPECT_TRUE(key_exists(L"CLSID"));
  EXPECT_EQ(GetEnable(), 0);
}

TEST_F(RegistrationTest, StartByComForTheEngineCountsAsAStartByTheUser) {
  ASSERT_EQ(run(L"quorvantine_msn.exe", L"/Regserver"), 0);
  ASSERT_EQ(FindWindowA(g_qel_app_top_wnd_class, nullptr), nullptr);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring log = std::wstring(temp) + L"qel-com-embedding.log";
  DeleteFileW(log.c_str());

  std::wstring cmd = L"\"" + program_dir() + L"engine_client.exe\" --engine-log=\"" + log + L"\"";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(
      CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  HWND main_wnd = nullptr;
  EXPECT_TRUE(wait_until([&] {
    main_wnd = FindWindowW(nullptr, L"Quorvantine Video Recorder for MSN");
    return main_wnd && IsWindowVisible(main_wnd);
  })) << "COM starts the program, shown as for a start by hand";
  EXPECT_EQ(GetEnable(), 1);
  EXPECT_TRUE(wait_until([&] {
    HANDLE f = CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    char buf[256] = {};
    DWORD got = 0;
    if (f != INVALID_HANDLE_VALUE) {
      ReadFile(f, buf, sizeof buf - 1, &got, nullptr);
      CloseHandle(f);
    }
    return std::string(buf).find("connected") != std::string::npos;
  }));
  PostMessageW(FindWindowW(L"qel-engine-client", nullptr), WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
    TerminateProcess(pi.hProcess, 99);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  HWND top = FindWindowA(g_qel_app_top_wnd_class, nullptr);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(top, RegisterWindowMessageA(g_qel_wm_shutdown_app_name), 0, 0,
                      SMTO_ABORTIFHUNG, 10000, &result);
  EXPECT_TRUE(wait_until([] { return !FindWindowA(g_qel_app_top_wnd_class, nullptr); }));
  DeleteFileW(log.c_str());
}

}  // namespace
