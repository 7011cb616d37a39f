// The library the application finds at start, as its history list shows it: a recording the
// engine finished after the program was killed has no chunk and no cache entry, and is listed
// by the start its name gives, in time order among the others.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/qel_app.h"
#include "app/testing/auto_start_setting.h"
#include "app/testing/dest_dir_setting.h"
#include "library/avi_test_builder.h"
#include "library/qel_app_constants.h"
#include "library/qel_avi_file.h"
#include "library/recording_test_util.h"
#include "platform/testing/fixed_clock.h"
#include "qel_lib/qel_assert_capture.h"
#include "res/resource.h"
#include "ui/qel_top_wnd.h"

namespace {

using test_env::FixedClock;

constexpr const char* kFiles[] = {"2026-12-07 21-15-00.avi", "2026-12-08 09-30-05.avi",
                                  "tagged.avi", "holiday.avi"};

class LibraryStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto_start_.Set(1);
    forget_cache_entries();
    rec_test::write_bytes(folder_.native(kFiles[0]), avi_test::build({}));
    rec_test::write_bytes(folder_.native(kFiles[1]), avi_test::build({}));
    avi_test::AviShape tagged;
    tagged.qel_top = avi_test::qel_payload(2, 36, 2, clock_.local(2026, 12, 8, 8, 0));
    rec_test::write_bytes(folder_.native(kFiles[2]), avi_test::build(tagged));
    rec_test::write_bytes(folder_.native(kFiles[3]), avi_test::build({}));
    std::u16string dir = folder_.u16();
    dest_dir_.Set(std::wstring(dir.begin(), dir.end()));
    app_ = shared_ptr<c_quorvantine_app>(new c_quorvantine_app);
    ASSERT_TRUE(app_->Create(u"/start_context user_manual"));
  }
  void TearDown() override {
    if (app_.valid())
      app_->Finalize();
    forget_cache_entries();
    EXPECT_EQ(capture_.count(), 0u);
  }

  // The cache entries are keyed by file name alone: earlier runs' would answer for these.
  void forget_cache_entries() {
    ZulProfileKey cache = ZulProfileKey::Root_CurrentUser()
                              .GetSubKey(g_qel_settings_path)
                              .GetSubKey("avi_file_info_cache");
    for (const char* name : kFiles) {
      std::string leaf(name);
      qel_avi_file file;
      ASSERT_TRUE(
          file.create(folder_.file(std::u16string(leaf.begin(), leaf.end())).c_str(), cache));
      cache.RemoveSubKey(file.get_cache_entry_name());
    }
  }
  std::vector<std::wstring> Row(int row) const {
    HWND list = GetDlgItem(app_->GetTopWndHandle(), IDC_HISTORY_LIST);
    std::vector<std::wstring> cells;
    for (int sub = 0; sub < 2; ++sub) {
      wchar_t text[256] = {};
      LVITEMW item = {};
      item.iSubItem = sub;
      item.pszText = text;
      item.cchTextMax = 256;
      SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
      cells.push_back(text);
    }
    return cells;
  }
  int Rows() const {
    return static_cast<int>(SendMessageW(GetDlgItem(app_->GetTopWndHandle(), IDC_HISTORY_LIST),
                                         LVM_GETITEMCOUNT, 0, 0));
  }

  AssertCapture capture_;
  FixedClock clock_{test_env::utc(2026, 12, 8, 11, 0), FixedClock::kBerlin};
  qel_testing::AutoStartSetting auto_start_;
  qel_testing::DestDirSetting dest_dir_;
  rec_test::ScratchFolder folder_{"app_library_start"};
  shared_ptr<c_quorvantine_app> app_;
};

TEST_F(LibraryStartTest, UntaggedRecordingsReadByTheStartTheirNameGives) {
  ASSERT_EQ(Rows(), 4);
  using Cells = std::vector<std::wstring>;
  EXPECT_EQ(Row(0), (Cells{L"2026-12-08 09-30-05", L"Today, 09:30"}));
  EXPECT_EQ(Row(1), (Cells{L"tagged", L"Today, 08:00"}));
  EXPECT_EQ(Row(2), (Cells{L"2026-12-07 21-15-00", L"Yesterday, 21:15"}));
  // A name that is no stamp gives no start, as before.
  EXPECT_EQ(Row(3), (Cells{L"holiday", L"2000-01-01, 01:00"}));
}

}  // namespace
