#include "library/qel_profile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/testing/test_env.h"
#include "qel_lib/qel_assert_capture.h"

namespace {

// Each test works below a key of its own under HKEY_CURRENT_USER, removed afterwards; natively
// the in-memory registry starts empty as well.
class ProfileKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_env::registry_reset();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    leaf_ = std::string(info->name()) + "_" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    path_ = std::string(kParent) + "\\" + leaf_;
    root_children_ = ZulProfileKey::Root_CurrentUser().Impl()->SubKeyCount();
  }

  void TearDown() override {
    ZulProfileKey::Root_CurrentUser().GetSubKey(kParent).RemoveSubKey(leaf_);
    // Every node is gone again: nothing but the roots stays in memory.
    EXPECT_EQ(ZulProfileKey::Root_CurrentUser().Impl()->SubKeyCount(), root_children_);
    EXPECT_EQ(test_env::registry_open_handles(), 0u);
  }

  ZulProfileKey Key(const std::string& sub = "") const {
    ZulProfileKey key = ZulProfileKey::Root_CurrentUser().GetSubKey(path_);
    return sub.empty() ? key : key.GetSubKey(sub);
  }

  // Opens the test key's sub-key with a raw call; true when it exists.
  bool RawExists(const std::string& sub) const {
    platform::RegKey key = nullptr;
    std::string full = sub.empty() ? path_ : path_ + "\\" + sub;
    if (platform::reg_open_key(platform::reg_current_user(), full.c_str(), &key) != 0)
      return false;
    platform::reg_close_key(key);
    return true;
  }

  void RawSet(const std::string& sub,
              const char* name,
              uint32_t type,
              const void* data,
              uint32_t size) const {
    platform::RegKey key = nullptr;
    std::string full = path_ + "\\" + sub;
    ASSERT_EQ(platform::reg_create_key(platform::reg_current_user(), full.c_str(), &key), 0);
    ASSERT_EQ(platform::reg_set_value(key, name, type, data, size), 0);
    platform::reg_close_key(key);
  }

  static constexpr char kParent[] = "Software\\QelTests";
  std::string leaf_;
  std::string path_;
  size_t root_children_ = 0;
};

TEST_F(ProfileKeyTest, ReadingUnderMissingKeyCreatesPathAndKeepsDefault) {
  uint32_t value = 77;
  EXPECT_FALSE(Key("a\\b\\c").GetValue("v").GetDWORD(&value));
  EXPECT_EQ(value, 77u);
  EXPECT_TRUE(RawExists("a\\b\\c"));
}

TEST_F(ProfileKeyTest, PathNodesAreSharedWhileHeldAndFreedBottomUp) {
  ZulProfileKey c = Key("a\\b\\c");
  ZulProfileKeyImpl* b = c.Impl()->SuperKey();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Name(), "b");
  EXPECT_EQ(Key("a\\b").Impl(), b);
  EXPECT_EQ(Key("a\\b\\c").Impl(), c.Impl());
  EXPECT_EQ(c.Impl()->RefCount(), 1);

  ZulProfileKey a = Key("a");
  c = ZulProfileKey();
  // "a" is still held; "b" and "c" went with the last handle to "c".
  EXPECT_EQ(a.Impl()->SubKeyCount(), 0u);
  EXPECT_NE(Key("a\\b").Impl()->SuperKey(), nullptr);
}

TEST_F(ProfileKeyTest, NamesDifferingInCaseAreDistinctNodesOfOneKey) {
  ZulProfileKey upper = Key("Case");
  ZulProfileKey lower = Key("case");
  EXPECT_NE(upper.Impl(), lower.Impl());
  ASSERT_TRUE(upper.GetValue("n").SetDWORD(5));
  uint32_t value = 0;
  EXPECT_TRUE(lower.GetValue("N").GetDWORD(&value));
  EXPECT_EQ(value, 5u);
}

TEST_F(ProfileKeyTest, ValueNodeKeepsKeyOpenUntilItGoes) {
  ZulProfileKey key = Key("open");
  {
    ZulProfileValue value = key.GetValue("v");
    ASSERT_TRUE(value.SetDWORD(1));
    EXPECT_TRUE(key.Impl()->IsOpen());
    EXPECT_TRUE(key.Impl()->SuperKey()->IsOpen());
  }
  EXPECT_FALSE(key.Impl()->IsOpen());
  EXPECT_FALSE(key.Impl()->SuperKey()->IsOpen());
}

TEST_F(ProfileKeyTest, EnumSubKeysListsRegistryKeysAndClosesIdleHandle) {
  for (const char* name : {"x", "y", "z"})
    RawSet(std::string("list\\") + name, "v", platform::kRegDword, "\1\0\0\0", 4);
  ZulProfileKey list = Key("list");
  std::vector<ZulProfileKey> found;
  EXPECT_EQ(list.EnumSubKeys(&found), 3);
  ASSERT_EQ(found.size(), 3u);
  for (const ZulProfileKey& sub : found) {
    EXPECT_EQ(sub.Impl()->SuperKey(), list.Impl());
    EXPECT_FALSE(sub.Impl()->IsOpen());
  }
  EXPECT_FALSE(list.Impl()->IsOpen());

  std::vector<ZulProfileKey> none;
  EXPECT_EQ(Key("list\\x").EnumSubKeys(&none), 0);
  EXPECT_FALSE(Key("list\\x").Impl()->IsOpen());

  ZulProfileKey root = ZulProfileKey::Root_CurrentUser();
  std::vector<ZulProfileKey> top;
  EXPECT_GT(root.EnumSubKeys(&top), 0);
  EXPECT_TRUE(root.Impl()->IsOpen());
}

TEST_F(ProfileKeyTest, RemoveDeletesTheTreeAndRootsAreRefused) {
  RawSet("tree\\a\\b", "v", platform::kRegDword, "\1\0\0\0", 4);
  RawSet("tree\\c", "v", platform::kRegDword, "\1\0\0\0", 4);
  ZulProfileKey tree = Key("tree");
  ZulProfileValue held = Key("tree\\a").GetValue("w");
  ASSERT_TRUE(held.SetDWORD(2));
  EXPECT_TRUE(tree.Remove());
  EXPECT_FALSE(RawExists("tree"));
  // The node stays usable: the next write recreates the key.
  EXPECT_TRUE(held.SetDWORD(3));
  EXPECT_TRUE(RawExists("tree\\a"));
  EXPECT_TRUE(Key().RemoveSubKey("tree"));
  EXPECT_FALSE(RawExists("tree"));

  AssertCapture capture;
  EXPECT_FALSE(ZulProfileKey::Root_CurrentUser().Remove());
  EXPECT_FALSE(ZulProfileKey::Root_LocalMachine().Remove());
  EXPECT_TRUE(RawExists(""));
  EXPECT_EQ(capture.count(), 0u);
}

TEST_F(ProfileKeyTest, WrongTypesAndSizesFailAndLeaveTheDefault) {
  RawSet("odd", "short", platform::kRegSz, "ab", 2);
  RawSet("odd", "long", platform::kRegBinary, "12345678", 8);
  RawSet("odd", "bin4", platform::kRegBinary, "\7\0\0\0", 4);
  RawSet("odd", "full", platform::kRegBinary, "abcd", 4);
  ZulProfileKey odd = Key("odd");

  uint32_t value = 9;
  EXPECT_FALSE(odd.GetValue("short").GetDWORD(&value));
  EXPECT_FALSE(odd.GetValue("long").GetDWORD(&value));
  EXPECT_EQ(value, 9u);
  EXPECT_TRUE(odd.GetValue("bin4").GetDWORD(&value));
  EXPECT_EQ(value, 7u);

  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_FALSE(odd.GetValue("long").GetString(small, sizeof small));
  EXPECT_FALSE(odd.GetValue("full").GetString(small, sizeof small));
  EXPECT_EQ(std::memcmp(small, "xxxx", 4), 0);

  unsigned char bin[4] = {'y', 'y', 'y', 'y'};
  uint32_t count = 123;
  EXPECT_FALSE(odd.GetValue("long").GetBinary(bin, sizeof bin, &count));
  EXPECT_EQ(std::memcmp(bin, "yyyy", 4), 0);
  EXPECT_EQ(count, 123u);
}

TEST_F(ProfileKeyTest, WideStringsReadBackOnlyFromTextValues) {
  const std::u16string path = u"C:\\Recordings \u00e9t\u00e9";
  ASSERT_TRUE(Key().GetValue("w").SetWString(path));
  std::u16string text = u"keep";
  EXPECT_TRUE(Key().GetValue("w").GetWString(&text, 2048));
  EXPECT_EQ(text, path);
  uint32_t type = 0;
  EXPECT_TRUE(Key().GetValue("w").GetType(&type));
  EXPECT_EQ(type, platform::kRegSz);

  ASSERT_TRUE(Key().GetValue("d").SetDWORD(5));
  text = u"keep";
  EXPECT_FALSE(Key().GetValue("d").GetWString(&text, 2048));
  EXPECT_FALSE(Key().GetValue("missing").GetWString(&text, 2048));
  EXPECT_FALSE(Key().GetValue("missing").GetType(&type));
  // Longer than the caller takes: refused, not cut short.
  EXPECT_FALSE(Key().GetValue("w").GetWString(&text, 4));
  EXPECT_EQ(text, u"keep");
}

TEST_F(ProfileKeyTest, OverlongNamesGiveNullHandles) {
  AssertCapture capture;
  std::string huge(kZulProfileNameMax, 'k');
  EXPECT_FALSE(Key().GetSubKey(huge).IsValid());
  EXPECT_FALSE(Key().GetSubKey("a\\" + huge + "\\b").IsValid());
  ZulProfileValue value = Key().GetValue(huge);
  EXPECT_FALSE(value.IsValid());
  uint32_t dword = 4;
  EXPECT_FALSE(value.GetDWORD(&dword));
  EXPECT_FALSE(value.SetDWORD(1));
  EXPECT_EQ(dword, 4u);
  EXPECT_EQ(capture.count(), 3u);
  EXPECT_TRUE(capture.Has("ZulProfileKey::GetSubKey", "name.size() < kZulProfileNameMax"));
}

TEST_F(ProfileKeyTest, KeyDeletedUnderAnOpenHandleFailsReadsAndWrites) {
  ZulProfileKey gone = Key("gone");
  ZulProfileValue keep_open = gone.GetValue("v");
  ASSERT_TRUE(keep_open.SetDWORD(1));
  ASSERT_EQ(platform::reg_delete_key(platform::reg_current_user(), (path_ + "\\gone").c_str()), 0);

  AssertCapture capture;
  uint32_t value = 6;
  EXPECT_FALSE(keep_open.GetDWORD(&value));
  EXPECT_FALSE(gone.GetValue("child_read").GetDWORD(&value));
  EXPECT_EQ(value, 6u);
  EXPECT_FALSE(gone.GetSubKey("sub").GetValue("x").SetDWORD(1));
  EXPECT_TRUE(capture.Has("ZulProfileKeyImpl::AssertOpenHKEY", "m_hKeyHandle"));
}

TEST_F(ProfileKeyTest, KeysThatRefuseAccessFallBackToDefaults) {
  if (!test_env::registry_deny_access(platform::reg_current_user(), path_ + "\\locked"))
    GTEST_SKIP() << "the in-memory registry refuses on request";
  AssertCapture capture;
  bool flag = true;
  EXPECT_FALSE(Key("locked\\inner").GetValue("b").GetBool(&flag));
  EXPECT_TRUE(flag);
  EXPECT_FALSE(Key("locked").GetValue("b").SetBool(false));
  EXPECT_TRUE(capture.Has("ZulProfileKeyImpl::AssertOpenHKEY", "m_hKeyHandle"));
  std::vector<ZulProfileKey> list;
  EXPECT_EQ(Key("locked").EnumSubKeys(&list), 0);
  EXPECT_FALSE(Key("locked").Remove());
}

#if !defined(_WIN32)
// The failures are the in-memory registry's, on request. Roots are created once per process,
// so each failure runs in a fresh one; the posix message box and the default assertion sink
// both write to stderr.
class ProfileRootDeathTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  template <class Root>
  static void FailThenRetry(long code, Root root) {
    platform::test::reg_fail_next_query_info(code, 30000);
    bool failed = !root().IsValid();
    std::exit(failed && root().IsValid() ? 0 : 1);
  }
};

TEST_F(ProfileRootDeathTest, CurrentUserClassTooLongShowsTheSizes) {
  EXPECT_EXIT(FailThenRetry(platform::kErrorMoreData, &ZulProfileKey::Root_CurrentUser),
              ::testing::ExitedWithCode(0),
              "RegQueryInfoKey failed\\. Max: 26000, Needed: 30000.*function "
              "ZulProfileKey::Root_CurrentUser:\n assertion `gCurrentUserKeyImpl' failed");
}

TEST_F(ProfileRootDeathTest, LocalMachineFailuresAssert) {
  EXPECT_EXIT(FailThenRetry(platform::kErrorMoreData, &ZulProfileKey::Root_LocalMachine),
              ::testing::ExitedWithCode(0),
              "assertion `rtn != ERROR_MORE_DATA' failed.*assertion `gLocalMachineKeyImpl'");
  EXPECT_EXIT(FailThenRetry(platform::kErrorInvalidParameter, &ZulProfileKey::Root_LocalMachine),
              ::testing::ExitedWithCode(0), "assertion `rtn != ERROR_INVALID_PARAMETER' failed");
}
#endif

}  // namespace
