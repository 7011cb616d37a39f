#include "ui/cx_folder_dialog.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "library/qel_app_constants.h"
#include "library/qel_profile.h"
#include "ui/qel_profile_store.h"
#include "ui/qel_select_folder.h"

namespace {

using namespace std::chrono_literals;

constexpr char kSection[] = "FolderHistory";
constexpr wchar_t kTitle[] = L"Pick a test folder";

std::wstring wide(const std::u16string& s) {
  return std::wstring(s.begin(), s.end());
}

std::wstring text_of(HWND hwnd) {
  wchar_t buf[4096] = {};
  SendMessageW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf));
  return buf;
}

HWND wait_for(const std::function<HWND()>& find) {
  for (int i = 0; i < 200; ++i) {
    if (HWND hwnd = find())
      return hwnd;
    std::this_thread::sleep_for(50ms);
  }
  return nullptr;
}

// The dialog once it is set up: its history combo filled and its OK handled.
HWND ready(HWND dlg) {
  return dlg && GetPropW(dlg, L"CXFolderDialog") ? dlg : nullptr;
}

HWND find_dialog() {
  return ready(FindWindowW(L"#32770", kTitle));
}

// The message box the dialog shows over itself, with its text.
HWND find_message_box(HWND dlg, std::wstring* text) {
  HWND box = nullptr;
  while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr))) {
    if (GetWindow(box, GW_OWNER) != dlg)
      continue;
    HWND child = nullptr;
    while ((child = FindWindowExW(box, child, L"Static", nullptr))) {
      std::wstring t = text_of(child);
      if (!t.empty())
        *text = t;
    }
    return box;
  }
  return nullptr;
}

HWND combo_of(HWND dlg) {
  return GetDlgItem(dlg, CXFolderDialog::kHistoryComboId);
}

std::vector<std::wstring> combo_items(HWND combo) {
  std::vector<std::wstring> items;
  LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t buf[2048] = {};
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
    items.push_back(buf);
  }
  return items;
}

void click_ok(HWND dlg) {
  PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
}

// The folder dialog runs modally here while `drive` acts on it from another thread, as a user
// would: through its controls.
class FolderDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    base_ = std::wstring(temp) + L"qel_folder_dialog_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(base_.c_str(), nullptr);
    for (const wchar_t* sub : {L"\\alpha", L"\\beta", L"\\gamma", L"\\gamma\\inner"})
      CreateDirectoryW((base_ + sub).c_str(), nullptr);
    HANDLE file = CreateFileW((base_ + L"\\notes.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    History().Remove();
  }

  void TearDown() override {
    History().Remove();
    for (const wchar_t* sub : {L"\\gamma\\inner", L"\\alpha", L"\\beta", L"\\gamma"})
      RemoveDirectoryW((base_ + sub).c_str());
    DeleteFileW((base_ + L"\\notes.txt").c_str());
    RemoveDirectoryW(base_.c_str());
  }

  static ZulProfileKey History() {
    return ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path).GetSubKey(kSection);
  }

  std::u16string u16(const std::wstring& s) const { return std::u16string(s.begin(), s.end()); }

  std::wstring stored(int n) const {
    qel_history_value v = qel_profile_get_string(kSection, qel_history_item_key("Folder", n));
    return v.kind == qel_history_value::kText ? wide(v.text) : L"<none>";
  }

  // Runs the dialog on base_; returns its result and the chosen path.
  INT_PTR Run(const std::function<void(HWND dlg)>& drive, std::wstring* chosen = nullptr) {
    std::atomic<bool> driven{false};
    std::thread driver([&] {
      HWND dlg = wait_for(find_dialog);
      if (dlg) {
        drive(dlg);
      } else {
        ADD_FAILURE() << "no folder dialog";
      }
      driven = true;
    });
    CXFolderDialog dialog(u16(base_).c_str(), 0, nullptr);
    dialog.SetTitle(u"Pick a test folder");
    INT_PTR result = dialog.DoModal();
    driver.join();
    EXPECT_TRUE(driven);
    if (chosen)
      *chosen = wide(dialog.GetPath());
    return result;
  }

  // Sets the folder field, presses OK and returns the text of the message box it shows
  // (closing it), or "" when none came.
  static std::wstring OkWith(HWND dlg, const std::wstring& text) {
    SetWindowTextW(combo_of(dlg), text.c_str());
    click_ok(dlg);
    std::wstring message;
    HWND box = wait_for([&] { return find_message_box(dlg, &message); });
    if (box)
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    wait_for([&] {
      std::wstring unused;
      return find_message_box(dlg, &unused) ? nullptr : dlg;
    });
    return message;
  }

  std::wstring base_;
};

TEST_F(FolderDialogTest, ListsOnlyFoldersAndChoosesOne) {
  std::vector<std::wstring> listed;
  std::wstring title;
  std::wstring chosen;
  INT_PTR result = Run(
      [&](HWND dlg) {
        title = text_of(dlg);
        HWND list = nullptr;
        wait_for([&] {
          HWND view = FindWindowExW(dlg, nullptr, L"SHELLDLL_DefView", nullptr);
          list = view ? FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
          return list && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) >= 3 ? list : nullptr;
        });
        LRESULT count = list ? SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) : 0;
        for (LRESULT i = 0; i < count; ++i) {
          wchar_t buf[MAX_PATH] = {};
          LVITEMW item = {};
          item.pszText = buf;
          item.cchTextMax = MAX_PATH;
          SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
          listed.push_back(buf);
        }
        // With no history the field shows the folder the dialog opened on.
        EXPECT_EQ(text_of(combo_of(dlg)), base_);
        SetWindowTextW(combo_of(dlg), L"beta");
        click_ok(dlg);
      },
      &chosen);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(title, kTitle);
  EXPECT_EQ(listed, (std::vector<std::wstring>{L"alpha", L"beta", L"gamma"}));
  EXPECT_EQ(chosen, base_ + L"\\beta");
  EXPECT_EQ(stored(0), base_ + L"\\beta");
  EXPECT_EQ(stored(1), L"");
}

TEST_F(FolderDialogTest, HistoryShowsStoredFoldersUpToTheFirstGapAndSavesOnOk) {
  qel_profile_write_string(kSection, "Folder0000", u16(base_ + L"\\alpha"));
  qel_profile_write_string(kSection, "Folder0001", u16(base_ + L"\\vanished"));
  History().GetValue("Folder0002").SetDWORD(7);
  qel_profile_write_string(kSection, "Folder0003", u16(base_ + L"\\beta"));
  qel_profile_write_string(kSection, "Folder0004", u"");
  qel_profile_write_string(kSection, "Folder0005", u16(base_ + L"\\gamma"));

  std::vector<std::wstring> items;
  std::wstring field;
  INT_PTR result = Run([&](HWND dlg) {
    items = combo_items(combo_of(dlg));
    field = text_of(combo_of(dlg));
    SetWindowTextW(combo_of(dlg), (base_ + L"\\gamma\\").c_str());
    click_ok(dlg);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(items, (std::vector<std::wstring>{base_ + L"\\alpha", base_ + L"\\beta"}));
  EXPECT_EQ(field, base_ + L"\\alpha");
  EXPECT_EQ(stored(0), base_ + L"\\gamma");
  EXPECT_EQ(stored(1), base_ + L"\\alpha");
  EXPECT_EQ(stored(2), base_ + L"\\beta");
  EXPECT_EQ(stored(3), L"");
  qel_history_value last = qel_profile_get_string(kSection, "Folder");
  EXPECT_EQ(wide(last.text), base_ + L"\\gamma");
}

TEST_F(FolderDialogTest, CancelSavesNothing) {
  qel_profile_write_string(kSection, "Folder0000", u16(base_ + L"\\alpha"));
  INT_PTR result = Run([&](HWND dlg) {
    SetWindowTextW(combo_of(dlg), (base_ + L"\\beta").c_str());
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(stored(0), base_ + L"\\alpha");
  EXPECT_EQ(stored(1), L"<none>");
}

TEST_F(FolderDialogTest, RefusesEmptyMissingFileAndOverlongChoicesAndStaysOpen) {
  std::vector<std::wstring> messages;
  std::wstring chosen;
  std::wstring overlong = L"C:\\" + std::wstring(2100, L'x');
  INT_PTR result = Run(
      [&](HWND dlg) {
        messages.push_back(OkWith(dlg, L"   "));
        messages.push_back(OkWith(dlg, L"Q:\\drive that is gone"));
        messages.push_back(OkWith(dlg, base_ + L"\\notes.txt"));
        messages.push_back(OkWith(dlg, overlong));
        EXPECT_TRUE(IsWindow(dlg));
        SetWindowTextW(combo_of(dlg), (base_ + L"\\alpha").c_str());
        click_ok(dlg);
      },
      &chosen);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(chosen, base_ + L"\\alpha");
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[0], L"Please select a folder.");
  EXPECT_EQ(messages[1], L"The folder 'Q:\\drive that is gone' isn't accessible.");
  EXPECT_EQ(messages[2], L"The folder '" + base_ + L"\\notes.txt' isn't accessible.");
  EXPECT_EQ(messages[3], L"The folder '" + overlong + L"' isn't accessible.");
  // Only the accepted folder reached the history.
  EXPECT_EQ(stored(0), base_ + L"\\alpha");
  EXPECT_EQ(stored(1), L"");
}

TEST_F(FolderDialogTest, DoubleClickOnAFolderOpensItAndUpdatesTheField) {
  bool inner_listed = false;
  std::wstring field;
  std::wstring chosen;
  INT_PTR result = Run(
      [&](HWND dlg) {
        HWND list = wait_for([&] {
          HWND view = FindWindowExW(dlg, nullptr, L"SHELLDLL_DefView", nullptr);
          HWND l = view ? FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
          return l && SendMessageW(l, LVM_GETITEMCOUNT, 0, 0) >= 3 ? l : nullptr;
        });
        ASSERT_TRUE(list);
        LVFINDINFOW find = {};
        find.flags = LVFI_STRING;
        find.psz = L"gamma";
        LRESULT index = SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(&find));
        RECT rect = {LVIR_LABEL};
        SendMessageW(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
        LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        // The view now lists gamma's own folder, and the field names gamma.
        inner_listed = wait_for([&] {
                         HWND view = FindWindowExW(dlg, nullptr, L"SHELLDLL_DefView", nullptr);
                         HWND l =
                             view ? FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
                         LVFINDINFOW inner = {};
                         inner.flags = LVFI_STRING;
                         inner.psz = L"inner";
                         return l && SendMessageW(l, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(&inner)) >= 0
                                    ? l
                                    : nullptr;
                       }) != nullptr;
        field = text_of(combo_of(dlg));
        click_ok(dlg);
      },
      &chosen);
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(inner_listed);
  EXPECT_EQ(field, base_ + L"\\gamma");
  EXPECT_EQ(chosen, base_ + L"\\gamma");
}

TEST_F(FolderDialogTest, SelectFolderRefusesAPathLongerThanTheBuffer) {
  std::thread driver([&] {
    HWND dlg = wait_for([] { return ready(FindWindowW(L"#32770", L"Select Folder")); });
    ASSERT_TRUE(dlg);
    SetWindowTextW(combo_of(dlg), (base_ + L"\\alpha").c_str());
    click_ok(dlg);
  });
  char16_t small[8] = {u'k'};
  EXPECT_FALSE(qel_select_folder(nullptr, u16(base_).c_str(), nullptr, small, 8));
  driver.join();
  EXPECT_EQ(small[0], u'k');
}

}  // namespace

// A picture for the documentation: QEL_SHOT_DIR=<folder> ui_tests.exe
// --gtest_also_run_disabled_tests --gtest_filter=*Pictures*
TEST_F(FolderDialogTest, DISABLED_PictureOfTheDialog) {
  wchar_t dir[MAX_PATH] = {};
  ASSERT_TRUE(GetEnvironmentVariableW(L"QEL_SHOT_DIR", dir, MAX_PATH));
  qel_profile_write_string(kSection, "Folder0000", u16(base_ + L"\\alpha"));
  qel_profile_write_string(kSection, "Folder0001", u16(base_ + L"\\gamma"));
  Run([&](HWND dlg) {
    SetWindowPos(dlg, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    std::this_thread::sleep_for(1500ms);
    RECT r = {};
    GetWindowRect(dlg, &r);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    DWORD size = static_cast<DWORD>(((w * 3 + 3) & ~3) * h);
    BITMAPFILEHEADER file = {0x4d42, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader + size),
                             0, 0, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader)};
    HANDLE out = CreateFileW((std::wstring(dir) + L"\\folder_dialog.bmp").c_str(), GENERIC_WRITE, 0,
                             nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, &file, sizeof file, &written, nullptr);
    WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr);
    WriteFile(out, bits, size, &written, nullptr);
    CloseHandle(out);
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
}
