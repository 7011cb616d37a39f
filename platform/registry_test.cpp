// The registry calls behave alike natively (in memory) and under Wine (the real registry):
// the same cases run against both.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "platform/testing/test_env.h"

namespace platform {
namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_env::registry_reset();
    path_ = "Software\\QelTests\\registry_" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    ASSERT_EQ(reg_create_key(reg_current_user(), path_.c_str(), &key_), kErrorSuccess);
  }

  void TearDown() override {
    for (const char* sub : {"A\\B", "A", "c"})
      reg_delete_key(key_, sub);
    reg_close_key(key_);
    reg_delete_key(reg_current_user(), path_.c_str());
    EXPECT_EQ(test_env::registry_open_handles(), 0u);
  }

  RegKey Create(const char* name) {
    RegKey key = nullptr;
    EXPECT_EQ(reg_create_key(key_, name, &key), kErrorSuccess);
    return key;
  }

  std::string path_;
  RegKey key_ = nullptr;
};

TEST_F(RegistryTest, NamesIgnoreCaseButKeepTheirSpelling) {
  reg_close_key(Create("A\\B"));
  RegKey lower = nullptr;
  ASSERT_EQ(reg_open_key(key_, "a\\b", &lower), kErrorSuccess);
  uint32_t one = 1;
  EXPECT_EQ(reg_set_value(lower, "Val", kRegDword, &one, 4), kErrorSuccess);
  reg_close_key(lower);

  RegKey upper = nullptr;
  ASSERT_EQ(reg_open_key(key_, "A\\B", &upper), kErrorSuccess);
  uint32_t type = 0, value = 0, size = 4;
  EXPECT_EQ(reg_query_value(upper, "VAL", &type, &value, &size), kErrorSuccess);
  EXPECT_EQ(type, uint32_t{kRegDword});
  EXPECT_EQ(value, 1u);
  reg_close_key(upper);

  char name[8];
  uint32_t len = sizeof name;
  EXPECT_EQ(reg_enum_key(key_, 0, name, &len), kErrorSuccess);
  EXPECT_STREQ(name, "A");
  EXPECT_EQ(len, 1u);
  len = sizeof name;
  EXPECT_EQ(reg_enum_key(key_, 1, name, &len), kErrorNoMoreItems);
}

TEST_F(RegistryTest, WritingAValueMovesOnlyItsKeysWriteTime) {
  RegKey a = Create("A");
  reg_close_key(Create("c"));
  auto write_times = [&](uint64_t* a_time, uint64_t* c_time) {
    char name[8];
    for (uint32_t i = 0; i < 2; ++i) {
      uint32_t len = sizeof name;
      uint64_t time = 0;
      ASSERT_EQ(reg_enum_key(key_, i, name, &len, &time), kErrorSuccess);
      EXPECT_NE(time, 0u);
      *(name[0] == 'A' ? a_time : c_time) = time;
    }
  };
  uint64_t a_before = 0, c_before = 0, a_after = 0, c_after = 0;
  write_times(&a_before, &c_before);
  // Past the coarsest clock tick a registry may keep write times in.
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  uint32_t one = 1;
  EXPECT_EQ(reg_set_value(a, "v", kRegDword, &one, 4), kErrorSuccess);
  write_times(&a_after, &c_after);
  EXPECT_NE(a_after, a_before);
  EXPECT_EQ(c_after, c_before);
  reg_close_key(a);
}

TEST_F(RegistryTest, DeletingNeedsALeafAndInvalidatesOpenHandles) {
  RegKey a = Create("A");
  reg_close_key(Create("A\\B"));
  EXPECT_NE(reg_delete_key(key_, "A"), kErrorSuccess);
  EXPECT_EQ(reg_delete_key(key_, "A\\B"), kErrorSuccess);
  EXPECT_EQ(reg_delete_key(key_, "A\\B"), kErrorFileNotFound);
  EXPECT_EQ(reg_delete_key(key_, "A"), kErrorSuccess);

  uint32_t one = 1, size = 4;
  EXPECT_EQ(reg_set_value(a, "v", kRegDword, &one, 4), kErrorKeyDeleted);
  EXPECT_EQ(reg_query_value(a, "v", nullptr, &one, &size), kErrorKeyDeleted);
  RegKey child = nullptr;
  EXPECT_NE(reg_create_key(a, "child", &child), kErrorSuccess);
  EXPECT_NE(reg_open_key(a, "child", &child), kErrorSuccess);
  EXPECT_EQ(reg_close_key(a), kErrorSuccess);
  EXPECT_EQ(reg_open_key(key_, "A", &child), kErrorFileNotFound);
}

TEST_F(RegistryTest, ShortBuffersReportTheSizeNeeded) {
  const char data[] = "0123456789";
  ASSERT_EQ(reg_set_value(key_, "bin", kRegBinary, data, 10), kErrorSuccess);
  char buffer[16] = {};
  uint32_t size = 4;
  EXPECT_EQ(reg_query_value(key_, "bin", nullptr, buffer, &size), kErrorMoreData);
  EXPECT_EQ(size, 10u);
  size = 0;
  EXPECT_EQ(reg_query_value(key_, "bin", nullptr, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 10u);
  reg_close_key(Create("c"));
  char class_name[8] = {'x'};
  uint32_t class_len = sizeof class_name, sub_keys = 0;
  EXPECT_EQ(reg_query_info_key(key_, class_name, &class_len, &sub_keys), kErrorSuccess);
  EXPECT_EQ(class_len, 0u);
  EXPECT_EQ(class_name[0], '\0');
  EXPECT_EQ(sub_keys, 1u);
  class_len = sizeof class_name;
  EXPECT_EQ(reg_query_info_key(reg_current_user(), class_name, &class_len, nullptr), kErrorSuccess);
  EXPECT_EQ(class_len, 0u);
}

}  // namespace
}  // namespace platform
