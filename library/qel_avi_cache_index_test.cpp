#include "library/qel_avi_cache_index.h"

#include <gtest/gtest.h>

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

}  // namespace
