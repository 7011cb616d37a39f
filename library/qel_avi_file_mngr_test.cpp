#include "library/qel_avi_file_mngr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "library/avi_test_builder.h"
#include "library/qel_app_constants.h"
#include "library/qel_app_setting.h"
#include "library/qel_avi_cache_index.h"
#include "library/recording_test_util.h"
#include "platform/testing/fixed_clock.h"
#include "platform/testing/recycle_bin.h"
#include "platform/testing/test_env.h"
#include "qel_lib/qel_assert_capture.h"

namespace {

using namespace avi_test;
using rec_test::ScratchFolder;

class QelAviFileMngrTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_env::registry_reset();
    test_env::use_recycle_folder(bin_.path().string());
    cache().Remove();
    qel_app_setting::set_dest_dir(folder_.u16().c_str());
  }
  void TearDown() override {
    mngr_.Finalize();
    cache().Remove();
  }
  ZulProfileKey product() {
    return ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path);
  }
  ZulProfileKey cache() { return product().GetSubKey("avi_file_info_cache"); }
  std::u16string put(const std::string& name, const Bytes& bytes) {
    rec_test::write_bytes(folder_.native(name), bytes);
    return folder_.file(std::u16string(name.begin(), name.end()));
  }
  void cache_entry(const std::string& b64, int32_t seconds, int64_t t = 1000) {
    ZulProfileKey e = cache().GetSubKey(b64);
    e.GetValue("src_app_type").SetDWORD(1);
    e.GetValue("start_time").SetBinary(&t, 8);
    e.GetValue("time_len").SetDWORD(seconds);
    e.GetValue("has_video").SetBool(true);
    e.GetValue("has_audio").SetBool(false);
  }
  using Starts = std::map<std::u16string, int64_t>;
  // The start time of every listed record, by title.
  Starts starts() {
    std::list<shared_ptr<qel_ui_avi_file_info>> list;
    mngr_.make_ui_file_info_list(list);
    Starts out;
    for (auto& i : list)
      out[i->m_title] = i->m_start_time;
    return out;
  }
  std::u16string stored_dest_dir() {
    char16_t buf[2048];
    qel_app_setting::get_dest_dir(buf, 2048);
    return buf;
  }

  rec_test::RegistryLock lock_;
  ScratchFolder folder_{"mngr"};
  ScratchFolder bin_{"mngr_bin"};
  AssertCapture asserts_;
  test_env::FixedClock clock_{test_env::utc(2026, 12, 8, 3, 0), test_env::FixedClock::kBerlin};
  qel_avi_file_mngr mngr_;
};

TEST_F(QelAviFileMngrTest, MissingFolderIsCreatedAtLoadAndBeforeEachRecording) {
  rec_test::fs::remove_all(folder_.path());
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_TRUE(rec_test::fs::is_directory(folder_.path()));
  EXPECT_EQ(0, mngr_.get_total_files());
  EXPECT_EQ(0, mngr_.get_total_minutes());
  EXPECT_EQ(folder_.u16(), mngr_.get_dest_dir());
  EXPECT_FALSE(mngr_.create(product()));

  // Removed while the program runs: the next recording's name comes with its folder.
  rec_test::fs::remove_all(folder_.path());
  char16_t buf[2048];
  ASSERT_TRUE(mngr_.create_new_file_name(buf, 2048));
  EXPECT_TRUE(rec_test::fs::is_directory(folder_.path()));
}

TEST_F(QelAviFileMngrTest, LoadsCachedAndChunkOnlyFilesAndCachesTheRest) {
  AviShape plain;
  put("a.avi", build(plain));  // cached
  cache_entry("YQAuAGEAdgBpAA==", 59);
  AviShape tagged;
  tagged.qel_top = qel_payload(2, 36, 2, 5000);  // 42 seconds, video and audio
  put("b.avi", build(tagged));
  put("c.avi", Bytes(100, 0));  // neither
  put("notes.txt", Bytes(3, 0));
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_EQ(3, mngr_.get_total_files());
  EXPECT_EQ((59 + 42) / 60, mngr_.get_total_minutes());

  // Every file now has its cache entry; c.avi's holds the defaults.
  int32_t seconds = -1;
  EXPECT_TRUE(cache().GetSubKey("YgAuAGEAdgBpAA==").GetValue("time_len").GetDWORD(&seconds));
  EXPECT_EQ(42, seconds);
  EXPECT_TRUE(cache().GetSubKey("YwAuAGEAdgBpAA==").GetValue("time_len").GetDWORD(&seconds));
  EXPECT_EQ(0, seconds);

  std::list<shared_ptr<qel_ui_avi_file_info>> list;
  EXPECT_EQ(3, mngr_.make_ui_file_info_list(list));
  for (auto& i : list)
    EXPECT_TRUE(mngr_.find_file(i->m_id));
  EXPECT_EQ(3, mngr_.make_ui_file_info_list(list));
  EXPECT_TRUE(asserts_.Has("qel_avi_file_mngr::make_ui_file_info_list", "_list.size() == 0"));
}

// A recording whose engine died, found without cache entry or chunk, is listed with the
// length of what it holds and cached, and stays untouched.
TEST_F(QelAviFileMngrTest, CutRecordingsAreScannedOnceAndCached) {
  AviShape s;
  s.streams = {{"vids", 1, 2, 0, 0}};  // two frames a second, length never written
  s.movi_bytes = 4000;                 // eight frames: 4 s
  Bytes b = build(s);
  size_t idx1 = b.size() - 24;
  Bytes cut(b.begin(), b.begin() + idx1 - 200);  // the last frame is incomplete
  put("cut.avi", cut);
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_EQ(1, mngr_.get_total_files());
  std::list<shared_ptr<qel_ui_avi_file_info>> list;
  ASSERT_EQ(1, mngr_.make_ui_file_info_list(list));
  EXPECT_EQ(4, list.front()->m_time_len);  // seven frames: 3500 ms
  EXPECT_TRUE(list.front()->m_has_video);
  int32_t seconds = -1;
  EXPECT_TRUE(cache().GetSubKey("YwB1AHQALgBhAHYAaQA=").GetValue("time_len").GetDWORD(&seconds));
  EXPECT_EQ(4, seconds);
  EXPECT_EQ(cut, rec_test::read_bytes(folder_.native("cut.avi")));
}

// What a dying engine leaves: eight frames written, the sizes never patched, no index.
Bytes engine_left_behind() {
  AviShape s;
  s.streams = {{"vids", 1, 2, 0, 0}};
  s.movi_bytes = 4000;
  Bytes b = build(s);
  return Bytes(b.begin(), b.end() - 24 - 200);
}

// A recording cut short keeps its mark across restarts without being scanned again, is
// never written until the user repairs it, and Repair makes it whole with its chunk.
TEST_F(QelAviFileMngrTest, CutRecordingsStayMarkedUntilRepaired) {
  ASSERT_TRUE(mngr_.create(product()));
  Bytes cut = engine_left_behind();
  std::u16string path = put("2010-11-17 09-12-53.avi", cut);
  shared_ptr<qel_avi_file> f = mngr_.insert_new_file(path.c_str(), 1290000000);
  ASSERT_TRUE(f);
  EXPECT_TRUE(mngr_.make_ui_file_info(f)->m_is_cut);
  EXPECT_EQ(4, f->get_time_len());
  EXPECT_EQ(cut, rec_test::read_bytes(folder_.native("2010-11-17 09-12-53.avi")));
  put("whole.avi", build(AviShape()));
  ASSERT_TRUE(mngr_.insert_new_file(folder_.file(u"whole.avi").c_str(), 5));

  auto listed = [&](const std::u16string& title) {
    std::list<shared_ptr<qel_ui_avi_file_info>> list;
    mngr_.make_ui_file_info_list(list);
    for (auto& i : list)
      if (i->m_title == title)
        return i;
    return shared_ptr<qel_ui_avi_file_info>();
  };
  mngr_.Finalize();
  ASSERT_TRUE(mngr_.create(product()));
  ASSERT_TRUE(listed(u"2010-11-17 09-12-53"));
  EXPECT_TRUE(listed(u"2010-11-17 09-12-53")->m_is_cut);
  EXPECT_FALSE(listed(u"whole")->m_is_cut);
  EXPECT_EQ(4, listed(u"2010-11-17 09-12-53")->m_time_len);

  ASSERT_TRUE(mngr_.repair_file(listed(u"2010-11-17 09-12-53")->m_id));
  EXPECT_FALSE(listed(u"2010-11-17 09-12-53")->m_is_cut);
  Bytes whole = rec_test::read_bytes(folder_.native("2010-11-17 09-12-53.avi"));
  AviLayout layout = layout_of(whole);
  EXPECT_TRUE(layout.valid && layout.has_idx1);
  // The start time from the request now also travels in the file itself.
  ASSERT_TRUE(
      cache().RemoveSubKey("MgAwADEAMAAtADEAMQAtADEANwAgADAAOQAtADEAMgAtADUAMwAuAGEAdgBpAA=="));
  mngr_.Finalize();
  ASSERT_TRUE(mngr_.create(product()));
  ASSERT_TRUE(listed(u"2010-11-17 09-12-53"));
  EXPECT_FALSE(listed(u"2010-11-17 09-12-53")->m_is_cut);
  EXPECT_EQ(1290000000, listed(u"2010-11-17 09-12-53")->m_start_time);
  EXPECT_EQ(4, listed(u"2010-11-17 09-12-53")->m_time_len);
  EXPECT_EQ(0u, asserts_.count());
}

// A repair that cannot be done leaves the file and its mark; one made needless by another
// program clears the mark.
TEST_F(QelAviFileMngrTest, FailedRepairLeavesTheFileAsItWas) {
  ASSERT_TRUE(mngr_.create(product()));
  std::u16string path = put("cut.avi", engine_left_behind());
  shared_ptr<qel_avi_file> f = mngr_.insert_new_file(path.c_str(), 7);
  ASSERT_TRUE(f && f->get_is_cut());
  Bytes broken = engine_left_behind();
  broken.resize(30);  // the header list is gone as well
  put("cut.avi", broken);
  EXPECT_FALSE(mngr_.repair_file(f->get_id()));
  EXPECT_TRUE(f->get_is_cut());
  EXPECT_EQ(broken, rec_test::read_bytes(folder_.native("cut.avi")));
  rec_test::fs::remove(folder_.native("cut.avi"));
  EXPECT_FALSE(mngr_.repair_file(f->get_id()));

  put("cut.avi", build(AviShape()));
  EXPECT_TRUE(mngr_.repair_file(f->get_id()));
  EXPECT_FALSE(f->get_is_cut());
  EXPECT_FALSE(mngr_.repair_file(12345678));
  EXPECT_TRUE(asserts_.Has("qel_avi_file_mngr::repair_file", "file"));
}

TEST_F(QelAviFileMngrTest, TotalMinutesTruncate) {
  const char* names[] = {"MQAuAGEAdgBpAA==", "MgAuAGEAdgBpAA==", "MwAuAGEAdgBpAA=="};
  int32_t lengths[] = {59, 60, 61};
  for (int i = 0; i < 3; ++i) {
    put(std::to_string(i + 1) + ".avi", Bytes());
    cache_entry(names[i], lengths[i]);
  }
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_EQ(3, mngr_.get_total_minutes());
  mngr_.Finalize();
  cache_entry(names[0], 119);
  qel_avi_cache_index::count_entry_write(cache());  // as the program's own writes are
  rec_test::fs::remove(folder_.native("2.avi"));
  rec_test::fs::remove(folder_.native("3.avi"));
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_EQ(1, mngr_.get_total_minutes());
}

// How fast recordings fill a disk: their listed sizes over their seconds; one without a
// length tells nothing of a rate.
TEST_F(QelAviFileMngrTest, BytesPerSecondComeFromRecordingsWithALength) {
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_EQ(0u, mngr_.get_bytes_per_second());
  mngr_.Finalize();
  const char* names[] = {"MQAuAGEAdgBpAA==", "MgAuAGEAdgBpAA==", "MwAuAGEAdgBpAA=="};
  for (int i = 0; i < 3; ++i) {
    put(std::to_string(i + 1) + ".avi", Bytes(3000 * (i + 1), 0));
    cache_entry(names[i], i < 2 ? 30 * (i + 1) : 0);
  }
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_EQ(100u, mngr_.get_bytes_per_second());
}

// An entry tells of the file as it was when written. One that changed while no program
// watched (filed cut short, then finished by its engine after all; deleted, and a later
// recording of that name left by a killed program) is read again, marks and all.
TEST_F(QelAviFileMngrTest, EntriesOfAnEarlierStateOfTheFileAreNotTrusted) {
  const std::string avi = "2026-12-08 04-00-00.avi";
  auto restart_and_list = [&] {
    mngr_.Finalize();
    EXPECT_TRUE(mngr_.create(product()));
    std::list<shared_ptr<qel_ui_avi_file_info>> list;
    mngr_.make_ui_file_info_list(list);
    return list.empty() ? shared_ptr<qel_ui_avi_file_info>(new qel_ui_avi_file_info) : list.front();
  };
  ASSERT_TRUE(mngr_.create(product()));
  shared_ptr<qel_avi_file> f = mngr_.insert_new_file(put(avi, engine_left_behind()).c_str(), 7);
  ASSERT_TRUE(f && f->get_is_cut());
  put(avi, build(AviShape{}));  // 11 s, video and audio
  for (int start = 0; start < 2; ++start) {
    shared_ptr<qel_ui_avi_file_info> whole = restart_and_list();
    EXPECT_EQ(11, whole->m_time_len) << start;
    EXPECT_TRUE(whole->m_has_audio && !whole->m_is_cut) << start;
    EXPECT_EQ(7, whole->m_start_time) << "the entry's start stays";
  }

  ASSERT_TRUE(mngr_.del_file(restart_and_list()->m_id));
  EXPECT_EQ(0u, restart_and_list()->m_id);
  put(avi, engine_left_behind());
  shared_ptr<qel_ui_avi_file_info> later = restart_and_list();
  EXPECT_EQ(4, later->m_time_len);
  EXPECT_TRUE(!later->m_has_audio && later->m_is_cut);
}

// The program killed mid-recording: the engine still finished the file, but it has neither
// chunk nor cache entry. Its name tells when it started, and its entry keeps that.
TEST_F(QelAviFileMngrTest, UntaggedRecordingsTakeTheirStartFromTheirName) {
  put("2026-12-08 09-30-05.avi", engine_left_behind());
  put("2026-12-08 09-30-05-1.avi", build(AviShape{}));
  put("2026-10-25 02-30-00.avi", build(AviShape{}));  // the hour the clock repeats
  put("2026-02-31 10-00-00.avi", build(AviShape{}));  // no such day
  put("holiday.avi", build(AviShape{}));
  AviShape tagged;
  tagged.qel_top = qel_payload(2, 36, 2, 5000);
  put("2026-12-07 22-00-00.avi", build(tagged));  // its chunk says when
  const Starts want = {{u"2026-12-08 09-30-05", test_env::utc(2026, 12, 8, 8, 30, 5)},
                       {u"2026-12-08 09-30-05-1", test_env::utc(2026, 12, 8, 8, 30, 5)},
                       {u"2026-10-25 02-30-00", test_env::utc(2026, 10, 25, 0, 30)},
                       {u"2026-02-31 10-00-00", 0},
                       {u"holiday", 0},
                       {u"2026-12-07 22-00-00", 5000}};
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_EQ(want, starts());

  qel_avi_file named;
  ASSERT_TRUE(named.create(folder_.file(u"2026-12-08 09-30-05.avi").c_str(), cache()));
  int64_t cached = 0;
  uint32_t bytes = 0;
  ASSERT_TRUE(cache()
                  .GetSubKey(named.get_cache_entry_name())
                  .GetValue("start_time")
                  .GetBinary(&cached, sizeof cached, &bytes));
  EXPECT_EQ(test_env::utc(2026, 12, 8, 8, 30, 5), cached);
  EXPECT_EQ(engine_left_behind(), rec_test::read_bytes(folder_.native("2026-12-08 09-30-05.avi")));

  // The next start reads the entries, not the names: in another zone the times stay.
  mngr_.Finalize();
  test_env::FixedClock elsewhere(test_env::utc(2026, 12, 8, 3, 0));
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_EQ(want, starts());
  EXPECT_EQ(0u, asserts_.count());
}

// Entries cached before names gave start times say 0: whether a start's saved copy or the
// entry itself answers, the name gives the start once and the entry keeps it. A stamp of no
// real date, and a start the entry knows, stay.
TEST_F(QelAviFileMngrTest, EntriesCachedWithoutStartTakeItFromTheirName) {
  const std::string names[] = {"2026-12-08 09-30-05.avi", "2026-12-08 10-00-00-1.avi",
                               "2026-13-08 09-30-05.avi", "2026-12-07 22-00-00.avi"};
  const int64_t cached_start[] = {0, 0, 0, 5000};
  std::string entries[4];
  qel_avi_cache_index copies;
  copies.load(cache());
  for (int i = 0; i < 4; ++i) {
    qel_avi_file file;
    ASSERT_TRUE(file.create(put(names[i], Bytes(100, 0)).c_str(), cache()));
    entries[i] = file.get_cache_entry_name();
    cache_entry(entries[i], 60, cached_start[i]);
  }
  // An earlier start saved copies of all but the second.
  copies.load(cache());
  for (int i : {0, 2, 3})
    copies.keep(entries[i], {1, cached_start[i], 60, true, false});
  ASSERT_TRUE(copies.save(cache()));

  auto entry_start = [&](int i) {
    int64_t t = -1;
    uint32_t bytes = 0;
    cache().GetSubKey(entries[i]).GetValue("start_time").GetBinary(&t, sizeof t, &bytes);
    return t;
  };
  const Starts want = {{u"2026-12-08 09-30-05", test_env::utc(2026, 12, 8, 8, 30, 5)},
                       {u"2026-12-08 10-00-00-1", test_env::utc(2026, 12, 8, 9, 0, 0)},
                       {u"2026-13-08 09-30-05", 0},
                       {u"2026-12-07 22-00-00", 5000}};
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_EQ(want, starts());
  EXPECT_EQ(want.at(u"2026-12-08 09-30-05"), entry_start(0));
  EXPECT_EQ(want.at(u"2026-12-08 10-00-00-1"), entry_start(1));
  EXPECT_EQ(0, entry_start(2));

  mngr_.Finalize();
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_EQ(want, starts());
  EXPECT_EQ(0u, asserts_.count());
}

TEST_F(QelAviFileMngrTest, NewFileNamesFollowTheLocalClock) {
  clock_.set(clock_.local(2010, 11, 17, 9, 12, 53));
  ASSERT_TRUE(mngr_.create(product()));
  char16_t buf[2048];
  ASSERT_TRUE(mngr_.create_new_file_name(buf, 2048));
  EXPECT_EQ(folder_.file(u"2010-11-17 09-12-53"), buf);
  // The bare name counts, and so does the name with any extension; a longer stamp does not.
  put("2010-11-17 09-12-53", Bytes(1, 0));
  put("2010-11-17 09-12-53-10.avi", Bytes(1, 0));
  ASSERT_TRUE(mngr_.create_new_file_name(buf, 2048));
  EXPECT_EQ(folder_.file(u"2010-11-17 09-12-53-1"), buf);
  put("2010-11-17 09-12-53-1.wav", Bytes(1, 0));
  ASSERT_TRUE(mngr_.create_new_file_name(buf, 2048));
  EXPECT_EQ(folder_.file(u"2010-11-17 09-12-53-2"), buf);

  // The clock set back: names continue one second after the last one.
  clock_.advance(-3600);
  ASSERT_TRUE(mngr_.create_new_file_name(buf, 2048));
  EXPECT_EQ(folder_.file(u"2010-11-17 09-12-54"), buf);
  ASSERT_TRUE(mngr_.create_new_file_name(buf, 2048));
  EXPECT_EQ(folder_.file(u"2010-11-17 09-12-55"), buf);
  EXPECT_EQ(0u, asserts_.count());

  // A buffer too small is refused, never overrun.
  char16_t small[8];
  EXPECT_FALSE(mngr_.create_new_file_name(small, 8));
  EXPECT_TRUE(asserts_.Has("qel_avi_file_mngr::create_new_file_name", "_buf_len > 1024"));
  EXPECT_TRUE(asserts_.Has("qel_avi_file_mngr::create_new_file_name", "rtn == 0"));
}

// An engine that stops and starts again within one second, writing "<name>.avi" each time.
TEST_F(QelAviFileMngrTest, TwoRecordingsInOneSecondKeepTwoFiles) {
  clock_.set(clock_.local(2010, 11, 17, 9, 12, 53));
  ASSERT_TRUE(mngr_.create(product()));
  qel_ui_avi_file_info_list rows;
  std::vector<std::u16string> paths;
  for (int i = 0; i < 2; ++i) {
    char16_t buf[2048];
    ASSERT_TRUE(mngr_.create_new_file_name(buf, 2048));
    std::u16string leaf = std::u16string(buf).substr(folder_.u16().size() + 1) + u".avi";
    AviShape s;
    s.streams = {{"vids", 1, 25, 0, static_cast<uint32_t>(25 * (i + 1))}};
    paths.push_back(put(std::string(leaf.begin(), leaf.end()), build(s)));
    shared_ptr<qel_avi_file> f = mngr_.insert_new_file(paths.back().c_str(), 1290000000 + i);
    ASSERT_TRUE(f);
    rows.on_new_file_info(mngr_.make_ui_file_info(f));
  }
  EXPECT_EQ(folder_.file(u"2010-11-17 09-12-53.avi"), paths[0]);
  EXPECT_EQ(folder_.file(u"2010-11-17 09-12-53-1.avi"), paths[1]);
  EXPECT_EQ(2, mngr_.get_total_files());
  ASSERT_EQ(2, rows.get_count());
  EXPECT_EQ(2, rows.get_at(1)->m_time_len);  // the first recording is still on disk
  EXPECT_EQ(3, rows.get_at(0)->m_time_len);
  EXPECT_EQ(0u, asserts_.count());
}

TEST_F(QelAviFileMngrTest, InsertedRecordingsAreScannedTaggedAndCached) {
  ASSERT_TRUE(mngr_.create(product()));
  AviShape s;
  s.top_junk = 1016;
  s.streams = {{"vids", 1, 25, 0, 262}, {"auds", 1, 8000, 0, 80000}};
  std::u16string path = put("2010-11-17 09-12-53.avi", build(s));
  shared_ptr<qel_avi_file> f = mngr_.insert_new_file(path.c_str(), 1290000000);
  ASSERT_TRUE(f);
  EXPECT_EQ(11, f->get_time_len());
  EXPECT_EQ(f, mngr_.find_file(f->get_id()));
  EXPECT_FALSE(mngr_.insert_new_file(u"", 1));

  shared_ptr<qel_ui_avi_file_info> ui = mngr_.make_ui_file_info(f);
  EXPECT_EQ(f->get_id(), ui->m_id);
  EXPECT_EQ(std::u16string(u"2010-11-17 09-12-53"), ui->m_title);
  EXPECT_EQ(path, ui->m_file_path);
  EXPECT_EQ(1290000000, ui->m_start_time);
  EXPECT_TRUE(ui->m_has_video && ui->m_has_audio);

  // A fresh load finds it through the cache, and the chunk says the same.
  mngr_.Finalize();
  ASSERT_TRUE(mngr_.create(product()));
  ASSERT_EQ(1, mngr_.get_total_files());
  ASSERT_TRUE(
      cache().RemoveSubKey("MgAwADEAMAAtADEAMQAtADEANwAgADAAOQAtADEAMgAtADUAMwAuAGEAdgBpAA=="));
  mngr_.Finalize();
  ASSERT_TRUE(mngr_.create(product()));
  std::list<shared_ptr<qel_ui_avi_file_info>> list;
  mngr_.make_ui_file_info_list(list);
  ASSERT_EQ(1u, list.size());
  EXPECT_EQ(1290000000, list.front()->m_start_time);
  EXPECT_EQ(11, list.front()->m_time_len);
}

TEST_F(QelAviFileMngrTest, PlayAndDeleteById) {
  std::string x = "x" + std::to_string(rec_test::process_id()) + ".avi";
  put(x, Bytes(10, 0));
  put("y.avi", Bytes(10, 0));
  ASSERT_TRUE(mngr_.create(product()));
  std::list<shared_ptr<qel_ui_avi_file_info>> list;
  mngr_.make_ui_file_info_list(list);
  ASSERT_EQ(2u, list.size());
  uint32_t first = list.front()->m_id, second = list.back()->m_id;
  EXPECT_FALSE(mngr_.play_file(first + second + 1));
  EXPECT_TRUE(asserts_.Has("qel_avi_file_mngr::play_file", "file"));
  if (test_env::kNative) {
    EXPECT_TRUE(mngr_.play_file(first));
    EXPECT_EQ(std::u16string(list.front()->m_file_path), test_env::played_files().back());
  }
  rec_test::fs::path deleted(list.front()->m_file_path);
  test_env::RecycleBin bin(bin_.path());
  ASSERT_TRUE(bin.known()) << "a test must be able to see the bin";
  EXPECT_TRUE(mngr_.del_file(first));
  EXPECT_FALSE(rec_test::fs::exists(deleted));
  EXPECT_TRUE(bin.holds(deleted)) << "in the bin, restorable, not merely gone";
  bin.remove(deleted);
  EXPECT_FALSE(mngr_.find_file(first));
  EXPECT_FALSE(mngr_.del_file(first));
  if (test_env::kNative) {
    // The shell failing does not keep the record in the library.
    test_env::use_recycle_folder("");
    EXPECT_TRUE(mngr_.del_file(second));
    EXPECT_FALSE(mngr_.find_file(second));
    EXPECT_EQ(0, mngr_.get_total_files());
  }
}

TEST_F(QelAviFileMngrTest, FolderChangeNeedsAWritableFolder) {
  put("keep.avi", Bytes(10, 0));
  ASSERT_TRUE(mngr_.create(product()));
  std::u16string missing = folder_.u16() + u"\\no\\such";
  EXPECT_FALSE(dojob_check_dir_writable(missing.c_str()));
  EXPECT_FALSE(dojob_check_dir_writable(nullptr));
  EXPECT_FALSE(mngr_.reset_dest_dir(missing.c_str()));
  std::u16string too_long = folder_.u16() + u"\\" + std::u16string(2048, u'x');
  EXPECT_FALSE(mngr_.reset_dest_dir(too_long.c_str()));
  EXPECT_TRUE(
      asserts_.Has("qel_avi_file_mngr::reset_dest_dir", "len < const_qel_avi_file_name_len"));
  EXPECT_EQ(folder_.u16(), mngr_.get_dest_dir());
  EXPECT_EQ(folder_.u16(), stored_dest_dir());
  EXPECT_EQ(1, mngr_.get_total_files());

  ScratchFolder other("mngr_other");
  EXPECT_TRUE(dojob_check_dir_writable(other.u16().c_str()));
  EXPECT_TRUE(rec_test::fs::is_empty(other.path()));
  ASSERT_TRUE(mngr_.reset_dest_dir(other.u16().c_str()));
  EXPECT_EQ(other.u16(), mngr_.get_dest_dir());
  EXPECT_EQ(other.u16(), stored_dest_dir());
  EXPECT_EQ(0, mngr_.get_total_files());
}

TEST_F(QelAviFileMngrTest, ReadOnlyFolderIsRefusedAndNothingChanges) {
  put("keep.avi", Bytes(10, 0));
  ASSERT_TRUE(mngr_.create(product()));
  rec_test::ReadOnlyFolder ro;
  if (!ro.ok())
    GTEST_SKIP() << "no immutable folders on this file system";
  EXPECT_FALSE(mngr_.reset_dest_dir(ro.path().c_str()));
  EXPECT_EQ(folder_.u16(), mngr_.get_dest_dir());
  EXPECT_EQ(folder_.u16(), stored_dest_dir());
  EXPECT_EQ(1, mngr_.get_total_files());
}

// What the listing named but cannot be read is listed with its defaults and never created;
// a folder named like a recording is not listed, so Delete can never recycle it; a folder
// that is really a file gives an empty library and stays as it was.
TEST_F(QelAviFileMngrTest, UnreadableEntriesAndUnlistableFoldersLoseNothing) {
  rec_test::fs::create_directories(folder_.native("calls.avi"));
  rec_test::write_bytes(folder_.native("calls.avi") / "kept.txt", Bytes(8, 1));
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_EQ(0, mngr_.get_total_files());
  EXPECT_EQ(0, cache().CountSubKeys());
  mngr_.Finalize();
  EXPECT_TRUE(rec_test::fs::exists(folder_.native("calls.avi") / "kept.txt"));

  if (test_env::kNative) {  // a dangling link, which Wine's files cannot make
    rec_test::fs::create_symlink(folder_.native("vanished-target.avi"), folder_.native("gone.avi"));
    ASSERT_TRUE(mngr_.create(product()));
    EXPECT_EQ(1, mngr_.get_total_files());
    EXPECT_EQ(0, mngr_.get_total_minutes());
    EXPECT_FALSE(rec_test::fs::exists(folder_.native("vanished-target.avi")));
    mngr_.Finalize();
  }
  Bytes content(64, 7);
  std::u16string not_a_folder = put("not_a_folder", content);
  qel_app_setting::set_dest_dir(not_a_folder.c_str());
  qel_avi_file_mngr other;
  other.create(product());
  EXPECT_EQ(0, other.get_total_files());
  EXPECT_EQ(content, rec_test::read_bytes(folder_.native("not_a_folder")));
  other.Finalize();
}

// The copy of the entries in the cache key is used only while an entry keeps the write
// time it was copied with; an entry written since is read from the entry itself.
TEST_F(QelAviFileMngrTest, EntryCopiesGiveWayToEntriesWrittenSince) {
  put("a.avi", Bytes(100, 0));
  cache_entry("YQAuAGEAdgBpAA==", 120);
  put("b.avi", Bytes(100, 0));
  cache_entry("YgAuAGEAdgBpAA==", 180);
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_EQ(5, mngr_.get_total_minutes());

  // The copies are what a second load reads: a doctored copy shows through.
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(cache().GetValue("entry_index").GetBytes(&bytes));
  std::unordered_map<std::string, std::pair<uint64_t, qel_avi_cache_record>> copies;
  ASSERT_TRUE(qel_avi_cache_index::decode(bytes, &copies));
  ASSERT_EQ(2u, copies.size());
  copies["YQAuAGEAdgBpAA=="].second.time_len = 600;
  bytes = qel_avi_cache_index::encode(copies);
  cache().GetValue("entry_index").SetBinary(bytes.data(), static_cast<uint32_t>(bytes.size()));
  ASSERT_TRUE(mngr_.dojob_load_directory(folder_.u16().c_str()));
  EXPECT_EQ(13, mngr_.get_total_minutes());

  // Writing the entry, counted as every writer of the program counts it, outdates its copy;
  // the other copy stays in use.
  cache().GetSubKey("YQAuAGEAdgBpAA==").GetValue("time_len").SetDWORD(240);
  qel_avi_cache_index::count_entry_write(cache());
  ASSERT_TRUE(mngr_.dojob_load_directory(folder_.u16().c_str()));
  EXPECT_EQ(7, mngr_.get_total_minutes());

  // A damaged copy is ignored, and the next load writes a sound one.
  uint8_t junk[7] = {1, 0, 0, 0, 9, 9, 9};
  cache().GetValue("entry_index").SetBinary(junk, sizeof junk);
  cache().GetSubKey("YgAuAGEAdgBpAA==").GetValue("time_len").SetDWORD(60);
  ASSERT_TRUE(mngr_.dojob_load_directory(folder_.u16().c_str()));
  EXPECT_EQ(5, mngr_.get_total_minutes());
  ASSERT_TRUE(cache().GetValue("entry_index").GetBytes(&bytes));
  ASSERT_TRUE(qel_avi_cache_index::decode(bytes, &copies));
  EXPECT_EQ(2u, copies.size());
  EXPECT_EQ(60, copies["YgAuAGEAdgBpAA=="].second.time_len);

  // A removed entry has no copy to fall back on: its file is scanned again.
  cache().RemoveSubKey("YQAuAGEAdgBpAA==");
  ASSERT_TRUE(mngr_.dojob_load_directory(folder_.u16().c_str()));
  EXPECT_EQ(1, mngr_.get_total_minutes());
}

// Between two starts another program adds, removes and changes recordings: the start that
// trusts the saved copies instead of listing the entries still shows every change, and the
// starts after it trust them again.
TEST_F(QelAviFileMngrTest, FilesAddedRemovedOrChangedWhileNotRunningShowAtTheNextStart) {
  using Shown = std::map<std::u16string, std::pair<int64_t, int32_t>>;
  auto shown = [&] {
    std::list<shared_ptr<qel_ui_avi_file_info>> list;
    mngr_.make_ui_file_info_list(list);
    Shown out;
    for (auto& i : list)
      out[i->m_title] = {i->m_start_time, i->m_time_len};
    return out;
  };
  auto restart = [&] {
    mngr_.Finalize();
    return mngr_.create(product());
  };
  auto trusted = [&] {
    qel_avi_cache_index index;
    index.load(cache());
    return index.is_stamped();
  };
  put("a.avi", Bytes(100, 0));
  cache_entry("YQAuAGEAdgBpAA==", 120);
  put("b.avi", Bytes(100, 0));
  cache_entry("YgAuAGEAdgBpAA==", 180);
  put("c.avi", Bytes(100, 0));
  cache_entry("YwAuAGEAdgBpAA==", 240);
  ASSERT_TRUE(mngr_.create(product()));
  EXPECT_TRUE(trusted());
  ASSERT_TRUE(restart());
  const Shown before = {{u"a", {1000, 120}}, {u"b", {1000, 180}}, {u"c", {1000, 240}}};
  EXPECT_EQ(before, shown());

  mngr_.Finalize();
  AviShape tagged;
  tagged.qel_top = qel_payload(2, 36, 2, 5000);  // 42 seconds
  put("d.avi", build(tagged));
  rec_test::fs::remove(folder_.native("b.avi"));
  // a.avi is now another recording, read again: its length is what a scan finds.
  qel_avi_file scan;
  ASSERT_TRUE(scan.create(put("a.avi", build(AviShape{})).c_str(), cache()));
  ASSERT_TRUE(scan.dojob_load_file_info());
  ASSERT_NE(120, scan.get_time_len());
  EXPECT_TRUE(trusted()) << "no entry was written";
  ASSERT_TRUE(mngr_.create(product()));
  const Shown after = {
      {u"a", {1000, scan.get_time_len()}}, {u"c", {1000, 240}}, {u"d", {5000, 42}}};
  EXPECT_EQ(after, shown());
  EXPECT_TRUE(trusted()) << "the entries this start wrote are vouched for at once";
  ASSERT_TRUE(restart());
  EXPECT_EQ(after, shown());

  // A file back from the recycle bin is found by its entry, though its copy was dropped.
  rec_test::fs::remove(folder_.native("c.avi"));
  ASSERT_TRUE(restart());
  EXPECT_EQ(2u, shown().size());
  put("c.avi", Bytes(100, 0));
  ASSERT_TRUE(restart());
  EXPECT_EQ(after, shown());
  ASSERT_TRUE(restart());
  EXPECT_TRUE(trusted());
  EXPECT_EQ(after, shown());

  // An entry changed in place by a writer that does not count is seen once an entry is added.
  cache().GetSubKey("YwAuAGEAdgBpAA==").GetValue("time_len").SetDWORD(300);
  cache_entry("ZQAuAGEAdgBpAA==", 60);
  ASSERT_TRUE(restart());
  EXPECT_EQ(300, shown()[u"c"].second);
}

}  // namespace
