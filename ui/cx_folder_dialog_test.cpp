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
#include "platform/win32/scoped_handle.h"
#include "ui/qel_profile_store.h"
#include "ui/qel_select_folder.h"
#include "ui/testing/dialog_driver.h"

namespace {

using namespace std::chrono_literals;
using namespace dlg_testing;

constexpr char kSection[] = "FolderHistory";
constexpr wchar_t kTitle[] = L"Pick a test folder";

std::wstring wide(const std::u16string& s) {
  return std::wstring(s.begin(), s.end());
}

// The dialog once it is set up: its history combo filled and its OK handled.
HWND ready(HWND dlg) {
  return dlg && GetPropW(dlg, L"CXFolderDialog") ? dlg : nullptr;
}

HWND find_dialog() {
  return ready(FindWindowW(L"#32770", kTitle));
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
    // An empty file, closed at once.
    platform::ScopedFileHandle(CreateFileW((base_ + L"\\notes.txt").c_str(), GENERIC_WRITE, 0,
                                           nullptr, CREATE_ALWAYS, 0, nullptr));
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
      HWND dlg = wait_for_window(find_dialog);
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
    press(dlg, IDOK);
    std::wstring message;
    HWND box = wait_for_window([&] { return find_message_box(dlg, &message); });
    if (box)
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    wait_for_window([&] {
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
        title = window_text(dlg);
        HWND list = nullptr;
        wait_for_window([&] {
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
        EXPECT_EQ(window_text(combo_of(dlg)), base_);
        SetWindowTextW(combo_of(dlg), L"beta");
        press(dlg, IDOK);
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
    field = window_text(combo_of(dlg));
    SetWindowTextW(combo_of(dlg), (base_ + L"\\gamma\\").c_str());
    press(dlg, IDOK);
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
    press(dlg, IDCANCEL);
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
        press(dlg, IDOK);
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
        HWND list = wait_for_window([&] {
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
        RECT rect{};
        rect.left = LVIR_LABEL;
        SendMessageW(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
        LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(list, WM_LBUTTONUP, 0, at);
        // The view now lists gamma's own folder, and the field names gamma.
        inner_listed = wait_for_window([&] {
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
        field = window_text(combo_of(dlg));
        press(dlg, IDOK);
      },
      &chosen);
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(inner_listed);
  EXPECT_EQ(field, base_ + L"\\gamma");
  EXPECT_EQ(chosen, base_ + L"\\gamma");
}

TEST_F(FolderDialogTest, SelectFolderRefusesAPathLongerThanTheBuffer) {
  std::thread driver([&] {
    HWND dlg = wait_for_window([] { return ready(FindWindowW(L"#32770", L"Select Folder")); });
    ASSERT_TRUE(dlg);
    SetWindowTextW(combo_of(dlg), (base_ + L"\\alpha").c_str());
    press(dlg, IDOK);
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
  ASSERT_FALSE(shot_dir().empty());
  qel_profile_write_string(kSection, "Folder0000", u16(base_ + L"\\alpha"));
  qel_profile_write_string(kSection, "Folder0001", u16(base_ + L"\\gamma"));
  Run([&](HWND dlg) {
    SetWindowPos(dlg, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(save_window_bmp(dlg, shot_dir() + L"\\folder_dialog.bmp"));
    press(dlg, IDCANCEL);
  });
}
