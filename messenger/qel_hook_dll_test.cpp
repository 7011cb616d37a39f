#include "messenger/qel_hook_dll.h"

#include <gtest/gtest.h>

#include "library/qel_app_constants.h"
#include "messenger/messenger_test_env.h"
#include "qel_lib/qel_assert_capture.h"

namespace {

// The configured name in the machine key; removed again after each test.
class HookDllName {
 public:
  HookDllName() { RegCreateKeyA(HKEY_LOCAL_MACHINE, g_qel_settings_path, &key_); }
  ~HookDllName() {
    RegDeleteValueA(key_, "hookDllName");
    RegCloseKey(key_);
  }
  void Set(const char* name) {
    RegSetValueExA(key_, "hookDllName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                   static_cast<DWORD>(strlen(name) + 1));
  }

 private:
  HKEY key_ = nullptr;
};

class HookDllTest : public ::testing::Test {
 protected:
  void SetUp() override { fake_hook().opened.clear(); }
  void TearDown() override {
    fake_hook().tables_present = true;
    fake_hook().loadable = {kQelHookDefaultDllName};
    // Leaves the live registry's component loaded for the other tests.
    ASSERT_TRUE(LoadHookDll());
  }
  std::vector<std::string> Load(bool expected = true) {
    fake_hook().opened.clear();
    EXPECT_EQ(LoadHookDll(), expected);
    return fake_hook().opened;
  }
  AssertCapture capture;
  HookDllName configured;
};

using Paths = std::vector<std::string>;

// This test program is not quorvantine_msn.exe, so the folder is empty.
TEST_F(HookDllTest, ConfiguredNameIsTriedFirstThenTheDefaultOnce) {
  EXPECT_EQ(Load(), Paths({"\\qel_msn_hook.dll"}));

  configured.Set("broken_hook.dll");
  EXPECT_EQ(Load(), Paths({"\\broken_hook.dll", "\\qel_msn_hook.dll"}));

  fake_hook().loadable.insert("other_hook.dll");
  configured.Set("other_hook.dll");
  EXPECT_EQ(Load(), Paths({"\\other_hook.dll"}));

  // A name that could leave the program's folder is never opened.
  for (const char* escaping : {"..\\evil.dll", "C:evil.dll", "sub/evil.dll"}) {
    configured.Set(escaping);
    EXPECT_EQ(Load(), Paths({"\\qel_msn_hook.dll"})) << escaping;
  }
  EXPECT_EQ(capture.count(), 0u);
}

TEST_F(HookDllTest, FolderIsCutWhereTheProgramNameBegins) {
  EXPECT_EQ(qel_hook_dll_dir("C:\\Program Files\\Q\\quorvantine_msn.exe"),
            "C:\\Program Files\\Q\\");
  EXPECT_EQ(qel_hook_dll_dir("C:\\quorvantine_msn.exe\\quorvantine_msn.exe"), "C:\\");
  EXPECT_EQ(qel_hook_dll_dir("C:\\Q\\QUORVANTINE_MSN.EXE"), "");
  EXPECT_EQ(qel_hook_dll_dir("C:\\Q\\messenger_tests.exe"), "");
}

TEST_F(HookDllTest, TablesAreCopiedWithoutEntryEleven) {
  ASSERT_TRUE(LoadHookDll());
  for (int i = 0; i < kQelHookWmCount; ++i)
    EXPECT_EQ(g_hook_tables.wm[i], i == 11 ? 0u : fake_hook().wm[i]) << i;
  EXPECT_NE(g_hook_tables.func[kHookFnAttach], nullptr);
}

// The program keeps running without messenger attachment.
TEST_F(HookDllTest, ComponentWithoutTablesFailsTheRegistryOnly) {
  fake_hook().tables_present = false;
  EXPECT_FALSE(LoadHookDll());
  EXPECT_TRUE(capture.Has("LoadHookDll", "func_entry"));
  EXPECT_FALSE(g_hook_tables.loaded);

  capture.Clear();
  fake_hook().calls.clear();
  shared_ptr<ZulMsnOCInstWrapRep> rep(new ZulMsnOCInstWrapRep);
  EXPECT_FALSE(rep->Create());
  EXPECT_TRUE(capture.Has("ZulMsnOCInstWrapRep::Create", "false"));
  rep->Finalize();
  EXPECT_TRUE(fake_hook().calls.empty());

  // Message ids 1 and 4 must be known.
  fake_hook().tables_present = true;
  uint32_t taint = fake_hook().wm[kHookWmTaintMain];
  fake_hook().wm[kHookWmTaintMain] = 0;
  shared_ptr<ZulMsnOCInstWrapRep> rep2(new ZulMsnOCInstWrapRep);
  EXPECT_FALSE(rep2->Create());
  EXPECT_TRUE(
      capture.Has("ZulMsnOCInstWrapRep::Create", "WM_TAINT_OC_MAIN_WND && WM_OC_MAIN_WND_CREATED"));
  fake_hook().wm[kHookWmTaintMain] = taint;
  rep2->Finalize();
}

}  // namespace
