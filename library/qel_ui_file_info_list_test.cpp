#include "library/qel_ui_file_info_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "qel_lib/qel_assert_capture.h"

namespace {

using Info = shared_ptr<qel_ui_avi_file_info>;

Info info(uint32_t id, int64_t start) {
  Info i(new qel_ui_avi_file_info);
  i->m_id = id;
  i->m_start_time = start;
  return i;
}

std::vector<uint32_t> ids(const qel_ui_avi_file_info_list& l) {
  std::vector<uint32_t> out;
  for (int i = 0; i < l.get_count(); ++i)
    out.push_back(l.get_at(i)->m_id);
  return out;
}

const char kList[] = "qel_ui_avi_file_info_list::";

TEST(QelUiFileInfoList, KeepsNewestFirstAndRefusesDuplicates) {
  AssertCapture asserts;
  qel_ui_avi_file_info_list l;
  l.on_new_file_info(info(1, 100));
  l.on_new_file_info(info(3, 300));
  l.on_new_file_info(info(2, 200));
  EXPECT_EQ((std::vector<uint32_t>{3, 2, 1}), ids(l));
  EXPECT_FALSE(l.get_at(3));
  EXPECT_FALSE(l.get_at(-1));
  EXPECT_EQ(0u, asserts.count());

  Info twin = info(2, 999);
  l.on_new_file_info(twin);
  EXPECT_TRUE(asserts.Has(std::string(kList) + "on_new_file_info", "!file_info"));
  EXPECT_EQ(3, l.get_count());
  EXPECT_EQ(200, l.find_by_id(2)->m_start_time);
  l.on_new_file_info(info(0, 5));
  l.on_new_file_info(Info());
  EXPECT_TRUE(
      asserts.Has(std::string(kList) + "on_new_file_info", "_file_info && _file_info->m_id"));
  EXPECT_EQ(3, l.get_count());
}

TEST(QelUiFileInfoList, DeleteAndUpdateByIdKeepBothContainersInStep) {
  AssertCapture asserts;
  qel_ui_avi_file_info_list l;
  for (uint32_t id : {1u, 2u, 3u})
    l.on_new_file_info(info(id, id * 100));
  l.on_del_file_info(7);
  EXPECT_TRUE(asserts.Has(std::string(kList) + "on_del_file_info", "hash_it != m_hash.end()"));
  EXPECT_EQ(3, l.get_count());
  l.on_del_file_info(2);
  EXPECT_EQ((std::vector<uint32_t>{3, 1}), ids(l));
  EXPECT_FALSE(l.find_by_id(2));

  // An update replaces the record in place; the order is not touched.
  Info newer = info(1, 1000);
  l.on_update_file_info(newer);
  EXPECT_EQ(l.find_by_id(1), newer);
  EXPECT_EQ(l.get_at(1), newer);
  l.on_update_file_info(info(9, 1));
  EXPECT_TRUE(asserts.Has(std::string(kList) + "on_update_file_info", "hash_it != m_hash.end()"));

  l.on_del_file_info(3);
  l.on_del_file_info(1);
  EXPECT_EQ(0, l.get_count());
  EXPECT_FALSE(l.get_at(0));
  size_t before = asserts.count();
  l.clear_all();
  l.clear_all();
  EXPECT_EQ(before, asserts.count());
}

TEST(QelUiFileInfoList, ManyRecordsInAnyOrderAndAfterAnUpdateEndNewestFirst) {
  AssertCapture asserts;
  qel_ui_avi_file_info_list l;
  // Shuffled start times with repeats, as a library loaded in its map's order gives them.
  std::list<Info> library;
  for (uint32_t id = 1; id <= 5000; ++id)
    library.push_back(info(id, (id * 7919) % 1000));
  library.push_back(info(17, 1));
  l.on_new_file_infos(library);
  EXPECT_EQ(5000, l.get_count()) << "the duplicate id is refused";
  // Records of one start time stand where sorting the records themselves puts them, as
  // the list has always shown them.
  std::vector<Info> sorted(library.begin(), std::prev(library.end()));
  std::sort(sorted.begin(), sorted.end(),
            [](const Info& a, const Info& b) { return a->m_start_time > b->m_start_time; });
  std::vector<uint32_t> sorted_ids;
  for (const Info& i : sorted)
    sorted_ids.push_back(i->m_id);
  EXPECT_EQ(sorted_ids, ids(l));

  // An update moves a record out of place; the next insert puts everything in order again.
  l.on_update_file_info(info(l.get_at(4999)->m_id, 5000));
  EXPECT_EQ(5000, l.get_at(4999)->m_start_time);
  l.on_new_file_info(info(6000, 500));
  EXPECT_EQ(5000, l.get_at(0)->m_start_time);
  l.on_new_file_info(info(6001, 999));
  EXPECT_EQ(999, l.get_at(1)->m_start_time) << "one record goes straight to its place";
  for (int i = 1; i < l.get_count(); ++i)
    ASSERT_GE(l.get_at(i - 1)->m_start_time, l.get_at(i)->m_start_time) << i;
}

TEST(QelUiData, HoldsRecordsUntilCleared) {
  qel_ui_data* d = qel_ui_data::alloc_new(42);
  ASSERT_TRUE(d);
  EXPECT_EQ(42, d->get_value());
  Info a = info(1, 1);
  d->add_avi_file_info(a);
  d->add_avi_file_info(info(2, 2));
  EXPECT_EQ(2u, d->get_avi_file_info_count());
  d->clear_all_avi_file_info();
  EXPECT_EQ(0u, d->get_avi_file_info_count());
  d->add_avi_file_info(a);
  delete d;
  EXPECT_TRUE(a);  // the caller's reference survives the holder
}

}  // namespace
