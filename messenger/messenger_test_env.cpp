#include "messenger/messenger_test_env.h"

#include <gtest/gtest.h>

#include "library/qel_app_constants.h"

namespace {

FakeHookDll* g_fake = nullptr;
HWND g_owner = nullptr;

class MessengerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    g_fake = new FakeHookDll;
    g_owner = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_DISABLED, 0, 0, 0, 0, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_TRUE(g_owner);
    rep_ = CreateRep(machine_key(), g_owner);
    ASSERT_TRUE(rep_.valid());
  }
  void TearDown() override {
    if (rep_.valid())
      rep_->Finalize();
    rep_.reset();
    DestroyWindow(g_owner);
    g_owner = nullptr;
    delete g_fake;
    g_fake = nullptr;
  }

 private:
  shared_ptr<ZulMsnOCInstWrapRep> rep_;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new MessengerEnvironment);

}  // namespace

FakeHookDll& fake_hook() {
  return *g_fake;
}

shared_ptr<ZulMsnOCInstWrapRep> live_rep() {
  return qel_oc_inst_wrap_rep();
}

ZulProfileKey machine_key() {
  return ZulProfileKey::Root_LocalMachine().GetSubKey(g_qel_settings_path);
}

HWND owner_wnd() {
  return g_owner;
}
