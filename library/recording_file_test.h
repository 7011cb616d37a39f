// What the tests of records on real files share: the registry lock, a cache key and a scratch
// folder of this test process's own, and the assertion reports captured.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "library/qel_avi_file.h"
#include "library/recording_test_util.h"
#include "qel_lib/qel_assert_capture.h"
#include "qel_lib/qel_ptr.h"

namespace rec_test {

class RecordFileTest : public ::testing::Test {
 protected:
  // The scratch folder's name part.
  explicit RecordFileTest(const std::string& folder) : folder_(folder) {}

  // A record of the file, bound to the test's cache key.
  shared_ptr<qel_avi_file> record(const std::u16string& path) {
    shared_ptr<qel_avi_file> f(new qel_avi_file);
    EXPECT_TRUE(f->create(path.c_str(), cache_.key()));
    return f;
  }

  RegistryLock lock_;
  TestCacheKey cache_;
  ScratchFolder folder_;
  AssertCapture asserts_;
};

}  // namespace rec_test
