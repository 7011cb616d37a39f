#include "messenger/qel_hook_dll.h"

#include <gtest/gtest.h>

#include "library/qel_app_constants.h"
#include "messenger/messenger_test_env.h"
#include "platform/win32/scoped_handle.h"
#include "qel_lib/qel_assert_capture.h"

namespace {

using Paths = std::vector<std::string>;

class HookDllTest : public ::testing::Test {
 protected:
  HookDllTest() {
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, g_qel_settings_path, &key);
    key_.reset(key);
    RegDeleteValueA(key_.get(), "hookDllName");
  }
  ~HookDllTest() override {
    RegDeleteValueA(key_.get(), "hookDllName");
    fake_hook().tables_present = true;
    // The live registry's component stays loaded for the other tests.
    LoadHookDll(machine_key());
  }
  void Configure(const char* name) {
    RegSetValueExA(key_.get(), "hookDllName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                   static_cast<DWORD>(strlen(name) + 1));
  }
  Paths Load() {
    fake_hook().opened.clear();
    EXPECT_TRUE(LoadHookDll(machine_key()));
    return fake_hook().opened;
  }
  platform::ScopedRegKey key_;
  AssertCapture capture;
};

// This test program is not quorvantine_msn.exe, so the folder is empty.
TEST_F(HookDllTest, ConfiguredNameIsTriedFirstThenTheDefaultOnce) {
  EXPECT_EQ(Load(), Paths({"\\qel_msn_hook.dll"}));
  Configure("broken_hook.dll");
  EXPECT_EQ(Load(), Paths({"\\broken_hook.dll", "\\qel_msn_hook.dll"}));
  fake_hook().loadable.insert("other_hook.dll");
  Configure("other_hook.dll");
  EXPECT_EQ(Load(), Paths({"\\other_hook.dll"}));
  // A name that could leave the program's folder is never opened.
  for (const char* escaping : {"..\\evil.dll", "C:evil.dll", "sub/evil.dll"}) {
    Configure(escaping);
    EXPECT_EQ(Load(), Paths({"\\qel_msn_hook.dll"})) << escaping;
  }
  EXPECT_EQ(capture.count(), 0u);
  EXPECT_EQ(qel_hook_dll_dir("C:\\Q\\quorvantine_msn.exe"), "C:\\Q\\");
  EXPECT_EQ(qel_hook_dll_dir("C:\\Q\\QUORVANTINE_MSN.EXE"), "");
}

// The program keeps running without messenger attachment.
TEST_F(HookDllTest, ComponentWithoutUsableTablesFailsTheRegistryOnly) {
  fake_hook().tables_present = false;
  shared_ptr<ZulMsnOCInstWrapRep> rep(new ZulMsnOCInstWrapRep);
  EXPECT_FALSE(rep->Create(machine_key(), owner_wnd()));
  EXPECT_TRUE(capture.Has("LoadHookDll", "func_entry"));
  EXPECT_TRUE(capture.Has("ZulMsnOCInstWrapRep::Create", "false"));
  fake_hook().calls.clear();
  rep->Finalize();
  EXPECT_TRUE(fake_hook().calls.empty());

  fake_hook().tables_present = true;
  uint32_t taint = fake_hook().wm[kHookWmTaintMain];
  fake_hook().wm[kHookWmTaintMain] = 0;
  shared_ptr<ZulMsnOCInstWrapRep> rep2(new ZulMsnOCInstWrapRep);
  EXPECT_FALSE(rep2->Create(machine_key(), owner_wnd()));
  EXPECT_TRUE(
      capture.Has("ZulMsnOCInstWrapRep::Create", "WM_TAINT_OC_MAIN_WND && WM_OC_MAIN_WND_CREATED"));
  fake_hook().wm[kHookWmTaintMain] = taint;
  rep2->Finalize();
}

}  // namespace
