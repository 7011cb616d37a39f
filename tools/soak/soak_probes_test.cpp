// What the soak reads from outside a program, tried on windows and threads of this process:
// list cells and selection through memory in the owner, wrapper windows told apart by the
// process they stand for, another run's messengers, cache entry names, the recycle bin's
// place and the message hook.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>

#include "app/testing/program_runner.h"
#include "platform/win32/scoped_handle.h"
#include "tools/hook/qel_msn_hook_protocol.h"
#include "tools/soak/engine_links.h"
#include "tools/soak/library_view.h"
#include "tools/soak/message_rates.h"
#include "tools/soak/process_probe.h"
#include "tools/soak/remote_list_view.h"

namespace {

namespace lib = library_view;

HWND make_window(const wchar_t* cls, DWORD style, HWND parent, LONG_PTR user_data = 0) {
  HWND wnd = CreateWindowExW(0, cls, L"", style, 0, 0, 300, 200, parent, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(wnd, GWLP_USERDATA, user_data);
  return wnd;
}

TEST(SoakProbesTest, ListCellsAndSelectionGoThroughTheOwnersMemory) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND top = make_window(L"STATIC", WS_OVERLAPPEDWINDOW, nullptr);
  HWND list = make_window(WC_LISTVIEWW, WS_CHILD | LVS_REPORT, top);
  for (int c = 0; c < 2; ++c) {
    LVCOLUMNW col = {};
    col.mask = LVCF_WIDTH;
    col.cx = 100;
    SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&col));
  }
  const wchar_t* cells[3][2] = {{L"a1", L"a2"}, {L"b1", L"b2"}, {L"c1", L"c2"}};
  for (int r = 0; r < 3; ++r) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = r;
    item.pszText = const_cast<wchar_t*>(cells[r][0]);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<wchar_t*>(cells[r][1]);
    SendMessageW(list, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item));
  }
  RemoteListView view(list);
  ASSERT_TRUE(view.ok());
  EXPECT_EQ(3, view.Rows());
  EXPECT_EQ(L"b2", view.Cell(1, 1));
  EXPECT_EQ(L"c1", view.Cell(2, 0));
  EXPECT_EQ(L"", view.Cell(7, 0));
  for (int row : {2, 0}) {
    ASSERT_TRUE(view.SelectOnly(row));
    EXPECT_EQ(1, SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
    EXPECT_EQ(row, SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
  }
  DestroyWindow(top);
}

TEST(SoakProbesTest, WrappersAreStaticChildrenNamingAProcess) {
  HWND top = make_window(L"STATIC", WS_OVERLAPPEDWINDOW, nullptr);
  make_window(L"Static", WS_CHILD, top, 111);
  make_window(L"Static", WS_CHILD, top, 222);
  make_window(L"Static", WS_CHILD, top, 333);
  make_window(L"Static", WS_CHILD, top, 0);    // a label, not a wrapper
  make_window(L"Button", WS_CHILD, top, 111);  // not a static window
  WrapperCount count = count_wrappers(GetCurrentProcessId(), {111, 999});
  EXPECT_EQ(1, count.live);
  EXPECT_EQ(2, count.ended);
  EXPECT_EQ(0, count_wrappers(GetCurrentProcessId() + 4, {111}).live);
  DestroyWindow(top);
}

// Another run's messenger in the same session is named, ours and ended ones are not.
TEST(SoakProbesTest, MessengersOfAnotherRunInTheSessionAreStrangers) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kSimHiddenClass;
  RegisterClassA(&wc);
  DWORD self = GetCurrentProcessId();
  EXPECT_EQ(0u, session_strangers({}).count(self));
  HWND hidden = CreateWindowExA(0, kSimHiddenClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                wc.hInstance, nullptr);
  ASSERT_NE(nullptr, hidden);
  std::set<DWORD> strangers = session_strangers({});
  EXPECT_EQ(1u, strangers.count(self));
  EXPECT_EQ("messenger " + std::to_string(self), describe_strangers({self}));
  EXPECT_EQ(0u, session_strangers({self}).count(self));
  DestroyWindow(hidden);
  EXPECT_EQ(0u, session_strangers({}).count(self));
  EXPECT_EQ("", describe_strangers({}));
}

TEST(SoakProbesTest, CacheEntriesAreNamedByTheLeafAndTitlesDropTheExtension) {
  EXPECT_EQ(L"2026-12-07 15-00-00.avi", lib::leaf_of(L"C:\\a b\\2026-12-07 15-00-00.avi"));
  EXPECT_EQ(L"2026-12-07 15-00-00-1", lib::title_of(L"C:\\x.y\\2026-12-07 15-00-00-1.avi"));
  std::wstring key =
      L"Software\\Corvelle Software\\Quorvantine for Msn\\avi_file_info_cache\\"
      L"cQBlAGwAXwBzAG8AYQBrAF8AcAByAG8AYgBlAC4AYQB2AGkA";
  HKEY created = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_CURRENT_USER, key.c_str(), &created));
  platform::ScopedRegKey key_handle(created);
  EXPECT_TRUE(lib::cache_entry_exists(L"qel_soak_probe.avi"));
  lib::delete_cache_entry(L"qel_soak_probe.avi");
  EXPECT_FALSE(lib::cache_entry_exists(L"qel_soak_probe.avi"));
}

// Entries of the host user's trash are matched by the original path they record, whatever
// name the trash gave them; nothing is known without a home.
TEST(SoakProbesTest, RecycleBinEntriesAreFoundByTheirOriginalPath) {
  wchar_t saved[3][MAX_PATH] = {};
  const wchar_t* names[3] = {L"HOME", L"WINEHOMEDIR", L"WINEPREFIX"};
  bool had[3];
  for (int i = 0; i < 3; ++i)
    had[i] = GetEnvironmentVariableW(names[i], saved[i], MAX_PATH) > 0;
  std::string home = "/tmp/qel_soak_trash_" + std::to_string(GetCurrentProcessId());
  std::wstring whome(home.begin(), home.end());
  std::wstring info = L"Z:" + whome + L"\\.local\\share\\Trash\\info\\";
  for (std::wstring dir :
       {L"Z:" + whome, L"Z:" + whome + L"\\.local", L"Z:" + whome + L"\\.local\\share",
        L"Z:" + whome + L"\\.local\\share\\Trash", info})
    CreateDirectoryW(dir.c_str(), nullptr);
  auto put = [&](const std::wstring& name, const char* path) {
    platform::ScopedFileHandle f(
        CreateFileW((info + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::string text = std::string("[Trash Info]\nPath=") + path + "\nDeletionDate=x\n";
    DWORD n = 0;
    WriteFile(f.get(), text.data(), DWORD(text.size()), &n, nullptr);
  };
  put(L"a b.avi.trashinfo", "/pfx/dosdevices/c:/rec/a%20b.avi");
  put(L"a b.avi-5fc894f0.trashinfo", "/other/dosdevices/c:/rec/a%20b.avi");

  SetEnvironmentVariableW(L"HOME", whome.c_str());
  SetEnvironmentVariableW(L"WINEPREFIX", L"/pfx");
  EXPECT_TRUE(lib::trash_known());
  EXPECT_EQ(L"/pfx/dosdevices/c:/rec/a b.avi", lib::host_path(L"C:\\rec\\a b.avi"));
  std::map<std::wstring, std::wstring> bin = lib::trash_entries();
  EXPECT_EQ(L"a b.avi", bin[lib::host_path(L"C:\\rec\\a b.avi")]);
  EXPECT_EQ(L"a b.avi-5fc894f0", bin[L"/other/dosdevices/c:/rec/a b.avi"]);
  lib::remove_trash_entry(L"a b.avi");
  EXPECT_EQ(1u, lib::trash_entries().size());
  lib::remove_trash_entry(L"a b.avi-5fc894f0");

  SetEnvironmentVariableW(L"HOME", nullptr);
  SetEnvironmentVariableW(L"WINEHOMEDIR", nullptr);
  EXPECT_FALSE(lib::trash_known());
  for (int i = 0; i < 3; ++i)
    SetEnvironmentVariableW(names[i], had[i] ? saved[i] : nullptr);
  for (const wchar_t* sub : {L"\\.local\\share\\Trash\\info", L"\\.local\\share\\Trash",
                             L"\\.local\\share", L"\\.local", L""})
    RemoveDirectoryW((L"Z:" + whome + sub).c_str());
}

// GDI objects are counted wherever the platform keeps them: made and deleted here, they
// come and go in the count, and stock objects never enter it.
TEST(SoakProbesTest, GdiObjectsOfAProcessAreCountedByKind) {
  auto gdi_objects = [] {
    for (const SoakFigure& f : probe_process(GetCurrentProcessId()))
      if (f.name.rfind("GDI objects", 0) == 0)
        return f;
    return SoakFigure{};
  };
  // The first device context sets up the display's own objects, which stay.
  DeleteDC(CreateCompatibleDC(nullptr));
  SoakFigure before = gdi_objects();
  ASSERT_EQ("", before.unavailable);
  HBRUSH brushes[5];
  for (int i = 0; i < 5; ++i)
    brushes[i] = CreateSolidBrush(RGB(i, 1, 2));
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  GetStockObject(GRAY_BRUSH);
  SoakFigure made = gdi_objects();
  std::map<std::string, int> kinds = gdi_census(GetCurrentProcessId());
  for (HBRUSH b : brushes)
    DeleteObject(b);
  DeleteObject(bitmap);
  SoakFigure after = gdi_objects();
  EXPECT_EQ(before.value + 6, made.value);
  EXPECT_EQ(before.value, after.value);
  std::map<std::string, int> left = gdi_census(GetCurrentProcessId());
  EXPECT_EQ(kinds["brush or pen"] - 5, left["brush or pen"]) << "the census tells the kind";
  EXPECT_EQ(kinds["bitmap"] - 1, left["bitmap"]);
}

// Handles are counted as they are open, not as the table that holds them has grown: a burst
// that is closed again leaves the count where it was, and the census tells their kind.
TEST(SoakProbesTest, HandlesAreCountedAsTheyAreOpen) {
  auto handles = [] {
    for (const SoakFigure& f : probe_process(GetCurrentProcessId()))
      if (f.name == "handles")
        return f.value;
    return -1.0;
  };
  double before = handles();
  HANDLE events[300];
  for (HANDLE& e : events)
    e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  double open = handles();
  int events_open = handle_census(GetCurrentProcessId())["Event"];
  for (HANDLE e : events)
    CloseHandle(e);
  EXPECT_EQ(before + 300, open);
  EXPECT_EQ(before, handles());
  EXPECT_EQ(handle_census(GetCurrentProcessId())["Event"], events_open - 300)
      << "the census names the kind that grew";
}

// A thread with a 20 ms timer: the hook sees its timer messages, and nothing once the hook
// DLL is missing.
TEST(SoakProbesTest, MessageHookCountsTheTimersOfTheWatchedThread) {
  HWND wnd = nullptr;
  platform::ScopedKernelHandle owner(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE ready = owner.get();
  std::thread ui([&] {
    wnd =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetTimer(wnd, 1, 20, nullptr);
    SetEvent(ready);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
      DispatchMessageW(&msg);
    DestroyWindow(wnd);
  });
  WaitForSingleObject(ready, 5000);
  SoakSample rates = MessageRates(qel_testing::bin_dir() + L"soak_msg_hook.dll").Measure(wnd, 1000);
  SoakSample missing = MessageRates(qel_testing::bin_dir() + L"no_such.dll").Measure(wnd, 10);
  PostThreadMessageW(GetWindowThreadProcessId(wnd, nullptr), WM_QUIT, 0, 0);
  ui.join();
  ASSERT_EQ(2u, rates.size());
  EXPECT_EQ("", rates[0].unavailable);
  EXPECT_GT(rates[1].value, 5) << "timer messages/s";
  EXPECT_GE(rates[0].value, rates[1].value);
  EXPECT_NE("", missing[0].unavailable);
}

}  // namespace
