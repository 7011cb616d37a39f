// Changing the recording folder in the whole application, with the folder's answer given by
// the test in place of the dialog: what the main window and the settings show afterwards.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/qel_app.h"
#include "app/testing/auto_start_setting.h"
#include "app/testing/dest_dir_setting.h"
#include "library/avi_test_builder.h"
#include "library/recording_test_util.h"
#include "qel_lib/qel_assert_capture.h"
#include "res/resource.h"
#include "ui/qel_top_wnd.h"
#include "ui/testing/dialog_driver.h"

namespace {

using dlg_testing::window_text;
using rec_test::ScratchFolder;

constexpr wchar_t kBoxTitle[] = L"This directory is not accessible";

std::wstring wide(const std::u16string& s) {
  return std::wstring(s.begin(), s.end());
}

class FolderChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto_start_.Set(1);
    rec_test::write_bytes(first_.native("a.avi"), avi_test::build({}));
    for (const char* name : {"b.avi", "c.avi"})
      rec_test::write_bytes(second_.native(name), avi_test::build({}));
    dest_dir_.Set(wide(first_.u16()));
    app_ = shared_ptr<c_quorvantine_app>(new c_quorvantine_app);
    ASSERT_TRUE(app_->Create(u"/start_context user_manual"));
    app_->set_select_folder([this](char16_t* dir, uint32_t len) {
      ++prompts_;
      if (!answer_ || answer_->size() >= len)
        return false;
      answer_->copy(dir, answer_->size());
      dir[answer_->size()] = 0;
      return true;
    });
  }
  void TearDown() override {
    app_->Finalize();
    EXPECT_EQ(capture_.count(), 0u);
  }

  void ChangeFolder(std::optional<std::u16string> answer) {
    answer_ = std::move(answer);
    SendMessageW(main(), WM_COMMAND, kQelWndChangeFolder, 0);
  }
  HWND main() const { return app_->GetTopWndHandle(); }
  int Rows() const {
    return static_cast<int>(
        SendMessageW(GetDlgItem(main(), IDC_HISTORY_LIST), LVM_GETITEMCOUNT, 0, 0));
  }
  std::wstring Status() const {
    wchar_t text[256] = {};
    SendMessageW(GetDlgItem(main(), IDC_STATUS_BAR), SB_GETTEXTW, 0,
                 reinterpret_cast<LPARAM>(text));
    return text;
  }
  // The "Here" link's tooltip names the recording folder.
  std::wstring HereTip() const {
    NMTTDISPINFOW info = {};
    info.hdr.hwndFrom = main();
    info.hdr.idFrom = kQelWndHere;
    info.hdr.code = TTN_NEEDTEXTW;
    SendMessageW(main(), WM_NOTIFY, kQelWndHere, reinterpret_cast<LPARAM>(&info));
    return info.lpszText ? info.lpszText : L"";
  }

  AssertCapture capture_;
  qel_testing::AutoStartSetting auto_start_;
  qel_testing::DestDirSetting dest_dir_;
  ScratchFolder first_{"app_first"};
  ScratchFolder second_{"app_second"};
  shared_ptr<c_quorvantine_app> app_;
  std::optional<std::u16string> answer_;
  int prompts_ = 0;
};

TEST_F(FolderChangeTest, CancelEmptyAndTheSameFolderChangeNothing) {
  ASSERT_EQ(Rows(), 1);
  std::wstring status = Status();
  ChangeFolder(std::nullopt);
  ChangeFolder(u"");
  ChangeFolder(first_.u16());
  EXPECT_EQ(prompts_, 3);
  EXPECT_EQ(FindWindowW(nullptr, kBoxTitle), nullptr);
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(Status(), status);
  EXPECT_EQ(dest_dir_.Get(), wide(first_.u16()));
}

TEST_F(FolderChangeTest, UnusableFolderIsReportedAndTheLibraryStays) {
  rec_test::ReadOnlyFolder read_only;
  std::u16string gone = u"Q:\\drive that is gone";
  for (const std::u16string& dir : {gone, read_only.path()}) {
    if (dir != gone && !read_only.ok())
      continue;
    ChangeFolder(dir);
    HWND box = FindWindowW(nullptr, kBoxTitle);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), main());
    EXPECT_EQ(window_text(GetDlgItem(box, IDC_MSGBOX_LINE1)),
              L"Failed to use the directory \"" + wide(dir) + L"\":");
    EXPECT_EQ(window_text(GetDlgItem(box, IDC_MSGBOX_LINE2)),
              L"Can not create new file in this directory.");
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(dest_dir_.Get(), wide(first_.u16()));
    SendMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(IsWindow(box));
  }
}

TEST_F(FolderChangeTest, NewFolderRefreshesListTotalsAndTooltipAndIsStored) {
  std::wstring before = HereTip();
  ChangeFolder(second_.u16());
  EXPECT_EQ(FindWindowW(nullptr, kBoxTitle), nullptr);
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Status(), L"2 files, 0 minutes recorded");
  EXPECT_EQ(dest_dir_.Get(), wide(second_.u16()));
  EXPECT_NE(HereTip(), before);
  EXPECT_NE(HereTip().find(L"app_second"), std::wstring::npos) << HereTip();
}

}  // namespace
