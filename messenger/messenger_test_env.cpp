#include "messenger/messenger_test_env.h"

#include <gtest/gtest.h>

#include "app/qel_app.h"

namespace {

FakeHookDll* g_fake = nullptr;

class MessengerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    g_fake = new FakeHookDll;
    app_ = qel_create_app(u"/start_context user_manual");
    ASSERT_TRUE(app_.valid());
  }
  void TearDown() override {
    app_->Finalize();
    app_.reset();
    delete g_fake;
    g_fake = nullptr;
  }

 private:
  shared_ptr<c_quorvantine_app> app_;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new MessengerEnvironment);

}  // namespace

FakeHookDll& fake_hook() {
  return *g_fake;
}

shared_ptr<ZulMsnOCInstWrapRep> live_rep() {
  return qel_oc_inst_wrap_rep();
}
