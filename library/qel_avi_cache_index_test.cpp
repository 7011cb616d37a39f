#include "library/qel_avi_cache_index.h"

#include <gtest/gtest.h>

#include "library/recording_test_util.h"

namespace {

using Records = std::unordered_map<std::string, std::pair<uint64_t, qel_avi_cache_record>>;

Records sample() {
  Records records;
  for (int flags = 0; flags < 4; ++flags) {
    qel_avi_cache_record r;
    r.src_app_type = flags - 1;
    r.start_time = -5 + (int64_t{1} << 40) * flags;
    r.time_len = 100 * flags;
    r.has_video = flags & 1;
    r.has_audio = flags & 2;
    records[std::string(flags * 30, 'A' + flags)] = {~uint64_t{0} - flags, r};
  }
  return records;
}

TEST(QelAviCacheIndex, RoundTripsAndRefusesAnythingButAWholeIndex) {
  std::vector<uint8_t> bytes = qel_avi_cache_index::encode(sample());
  Records back;
  ASSERT_TRUE(qel_avi_cache_index::decode(bytes, &back));
  ASSERT_EQ(4u, back.size());
  for (const auto& [name, entry] : sample()) {
    const auto& got = back.at(name);
    EXPECT_EQ(entry.first, got.first);
    EXPECT_EQ(entry.second.src_app_type, got.second.src_app_type);
    EXPECT_EQ(entry.second.start_time, got.second.start_time);
    EXPECT_EQ(entry.second.time_len, got.second.time_len);
    EXPECT_EQ(entry.second.has_video, got.second.has_video);
    EXPECT_EQ(entry.second.has_audio, got.second.has_audio);
  }

  // Every cut, an extra byte, another version and unknown flags leave the output untouched.
  for (size_t len = 0; len < bytes.size(); ++len) {
    Records out = {{"kept", {}}};
    EXPECT_FALSE(qel_avi_cache_index::decode({bytes.begin(), bytes.begin() + len}, &out)) << len;
    EXPECT_EQ(1u, out.count("kept"));
  }
  std::vector<uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(qel_avi_cache_index::decode(longer, &back));
  std::vector<uint8_t> other = bytes;
  other[0] = 2;
  EXPECT_FALSE(qel_avi_cache_index::decode(other, &back));
  std::vector<uint8_t> flags = qel_avi_cache_index::encode({{"x", {1, {}}}});
  flags.back() = 4;
  EXPECT_FALSE(qel_avi_cache_index::decode(flags, &back));
}

// Two entries of one name would make the count disagree with what was read.
TEST(QelAviCacheIndex, RefusesRepeatedNames) {
  std::vector<uint8_t> one = qel_avi_cache_index::encode({{"x", {1, {}}}});
  std::vector<uint8_t> two = one;
  two[4] = 2;
  two.insert(two.end(), one.begin() + 8, one.end());
  Records out;
  EXPECT_FALSE(qel_avi_cache_index::decode(two, &out));
}

TEST(QelAviCacheIndex, StampRoundTripsAndRefusesAnythingButAWholeStamp) {
  qel_avi_cache_index::Stamp stamp;
  stamp.generation = 7;
  stamp.entries = 10000;
  stamp.hash = ~uint64_t{0} - 3;
  stamp.files = {{"YQAuAGEAdgBpAA==", {123, 456}}, {std::string(300, 'x'), {0, ~uint64_t{0}}}};
  std::vector<uint8_t> bytes = qel_avi_cache_index::encode_stamp(stamp);
  qel_avi_cache_index::Stamp back;
  ASSERT_TRUE(qel_avi_cache_index::decode_stamp(bytes, &back));
  EXPECT_EQ(stamp, back);
  for (size_t len = 0; len < bytes.size(); ++len)
    EXPECT_FALSE(qel_avi_cache_index::decode_stamp({bytes.begin(), bytes.begin() + len}, &back));
  bytes.push_back(0);
  EXPECT_FALSE(qel_avi_cache_index::decode_stamp(bytes, &back));
  EXPECT_EQ(stamp, back);
}

// A load trusts the copies without listing the entries only while no entry was written,
// added or removed and the copies are the ones the stamp was made for; a cache saved before
// stamps existed loads by listing and is stamped then.
TEST(QelAviCacheIndex, StampVouchesOnlyForAnUnchangedCache) {
  rec_test::RegistryLock lock;
  rec_test::TestCacheKey cache;
  const ZulProfileKey& key = cache.key();
  qel_avi_cache_record a;
  a.time_len = 120;
  key.GetSubKey("YQAuAGEAdgBpAA==").GetValue("time_len").SetDWORD(120);
  key.GetSubKey("YgAuAGEAdgBpAA==").GetValue("time_len").SetDWORD(180);
  auto load_and_keep = [&](qel_avi_cache_index* index) {
    index->load(key);
    index->keep("YQAuAGEAdgBpAA==", a);
    index->keep("YgAuAGEAdgBpAA==", a);
    index->keep_file("YQAuAGEAdgBpAA==", {100, 1});
    return index->save(key);
  };
  auto trusted = [&] {
    qel_avi_cache_index index;
    index.load(key);
    return index.is_stamped() && index.find("YQAuAGEAdgBpAA==") &&
           index.find("YQAuAGEAdgBpAA==")->time_len == 120;
  };
  qel_avi_cache_index index;
  ASSERT_TRUE(load_and_keep(&index));
  EXPECT_FALSE(index.is_stamped());
  EXPECT_TRUE(trusted());
  qel_avi_cache_index again;
  again.load(key);
  EXPECT_TRUE(again.is_file_changed("YQAuAGEAdgBpAA==", {100, 2}));
  EXPECT_TRUE(again.is_file_changed("YQAuAGEAdgBpAA==", {99, 1}));
  EXPECT_FALSE(again.is_file_changed("YQAuAGEAdgBpAA==", {100, 1}));
  EXPECT_FALSE(again.is_file_changed("YgAuAGEAdgBpAA==", {5, 5})) << "never listed";

  qel_avi_cache_index::count_entry_write(key);
  EXPECT_FALSE(trusted()) << "an entry written";
  ASSERT_TRUE(load_and_keep(&index));
  EXPECT_TRUE(trusted());

  key.GetSubKey("YwAuAGEAdgBpAA==").GetValue("time_len").SetDWORD(1);
  EXPECT_FALSE(trusted()) << "an entry added without counting";
  ASSERT_TRUE(load_and_keep(&index));
  EXPECT_TRUE(trusted());
  key.RemoveSubKey("YwAuAGEAdgBpAA==");
  EXPECT_FALSE(trusted()) << "an entry removed";
  ASSERT_TRUE(load_and_keep(&index));
  EXPECT_TRUE(trusted());

  // Copies rewritten by a writer that knows no stamp.
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(key.GetValue("entry_index").GetBytes(&bytes));
  std::unordered_map<std::string, std::pair<uint64_t, qel_avi_cache_record>> copies;
  ASSERT_TRUE(qel_avi_cache_index::decode(bytes, &copies));
  copies.erase("YgAuAGEAdgBpAA==");
  bytes = qel_avi_cache_index::encode(copies);
  key.GetValue("entry_index").SetBinary(bytes.data(), static_cast<uint32_t>(bytes.size()));
  EXPECT_FALSE(trusted());
  ASSERT_TRUE(load_and_keep(&index));
  EXPECT_TRUE(trusted());

  // A cache from before stamps: copies only.
  key.GetValue("entry_index_stamp").SetBinary("old", 3);
  EXPECT_FALSE(trusted());
  qel_avi_cache_index old;
  old.load(key);
  ASSERT_NE(old.find("YQAuAGEAdgBpAA=="), nullptr);
  EXPECT_EQ(120, old.find("YQAuAGEAdgBpAA==")->time_len);
  ASSERT_TRUE(load_and_keep(&index));
  EXPECT_TRUE(trusted());

  // An entry kept without a listed write time leaves the next load listing the entries.
  qel_avi_cache_index missed;
  missed.load(key);
  ASSERT_TRUE(missed.is_stamped());
  missed.keep("YQAuAGEAdgBpAA==", a);
  missed.keep("ZAAuAGEAdgBpAA==", a);
  ASSERT_TRUE(missed.save(key));
  EXPECT_FALSE(trusted());
}

// A copy or a stamp that names an entry twice is not a whole one: load takes nothing from
// it, neither the first nor the second of the two.
TEST(QelAviCacheIndex, LoadTakesNothingFromACopyOrStampNamingAnEntryTwice) {
  rec_test::RegistryLock lock;
  rec_test::TestCacheKey cache;
  const ZulProfileKey& key = cache.key();
  const std::string a_name = "YQAuAGEAdgBpAA==";
  qel_avi_cache_record a;
  a.time_len = 120;
  key.GetSubKey(a_name).GetValue("time_len").SetDWORD(120);
  {
    qel_avi_cache_index index;
    index.load(key);
    index.keep(a_name, a);
    index.keep_file(a_name, {100, 1});
    ASSERT_TRUE(index.save(key));
  }
  auto twice = [](std::vector<uint8_t> one, size_t header) {
    std::vector<uint8_t> two = one;
    two[header - 4] = 2;
    two.insert(two.end(), one.begin() + header, one.end());
    return two;
  };
  std::vector<uint8_t> copy, stamp;
  ASSERT_TRUE(key.GetValue("entry_index").GetBytes(&copy));
  ASSERT_TRUE(key.GetValue("entry_index_stamp").GetBytes(&stamp));
  {
    qel_avi_cache_index index;
    index.load(key);
    ASSERT_TRUE(index.is_stamped());
    ASSERT_NE(index.find(a_name), nullptr);
    EXPECT_TRUE(index.is_file_changed(a_name, {100, 2}));
  }

  std::vector<uint8_t> bad_stamp = twice(stamp, 4 + 4 + 8 + 8 + 4);
  key.GetValue("entry_index_stamp").SetBinary(bad_stamp.data(), bad_stamp.size());
  {
    qel_avi_cache_index index;
    index.load(key);
    EXPECT_FALSE(index.is_stamped());
    EXPECT_FALSE(index.is_file_changed(a_name, {100, 2}));
    EXPECT_FALSE(index.is_file_changed(a_name, {5, 5}));
  }

  key.GetValue("entry_index_stamp").SetBinary(stamp.data(), stamp.size());
  std::vector<uint8_t> bad_copy = twice(copy, 8);
  key.GetValue("entry_index").SetBinary(bad_copy.data(), bad_copy.size());
  {
    qel_avi_cache_index index;
    index.load(key);
    EXPECT_FALSE(index.is_stamped());
    EXPECT_EQ(index.find(a_name), nullptr);
    EXPECT_TRUE(index.is_file_changed(a_name, {100, 2})) << "the stamp is whole";
  }
}

// Hundreds of names, short and long, kept by one load and read back by it and by the next:
// each is found again with its own values, however often the index grew to hold them.
TEST(QelAviCacheIndex, KeepsHundredsOfNamesApart) {
  rec_test::RegistryLock lock;
  rec_test::TestCacheKey cache;
  const ZulProfileKey& key = cache.key();
  auto name = [](int i) { return std::string(1 + i % 40, 'A' + i % 26) + std::to_string(i); };
  auto stamp = [](int i, uint64_t time) {
    return platform::FileStamp{static_cast<uint64_t>(i), time};
  };
  constexpr int kNames = 600;
  auto files_found = [&](const qel_avi_cache_index& index) {
    for (int i = 0; i < kNames; ++i) {
      if (index.is_file_changed(name(i), stamp(i, 1)) ||
          !index.is_file_changed(name(i), stamp(i, 2)))
        return testing::AssertionFailure() << name(i);
    }
    return testing::AssertionSuccess();
  };
  qel_avi_cache_index first;
  first.load(key);
  for (int i = 0; i < kNames; ++i) {
    qel_avi_cache_record r;
    r.time_len = i;
    first.keep_written(name(i), r);
    first.keep_file(name(i), stamp(i, 1));
  }
  ASSERT_TRUE(first.save(key));
  EXPECT_TRUE(files_found(first));

  qel_avi_cache_index next;
  next.load(key);
  ASSERT_TRUE(next.is_stamped());
  EXPECT_TRUE(files_found(next));
  for (int i = 0; i < kNames; ++i) {
    const qel_avi_cache_record* r = next.find(name(i));
    ASSERT_NE(r, nullptr) << name(i);
    EXPECT_EQ(i, r->time_len) << name(i);
  }
  EXPECT_EQ(next.find("A"), nullptr);
}

}  // namespace
