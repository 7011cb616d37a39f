// Linked into test programs that create the whole application in-process: the fake hook
// component takes the place of the real one, which such a program could not find.
#include <gtest/gtest.h>

#include "messenger/fake_hook_dll.h"

namespace {

class FakeHookEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { fake_ = new FakeHookDll; }
  void TearDown() override {
    delete fake_;
    fake_ = nullptr;
  }

 private:
  FakeHookDll* fake_ = nullptr;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new FakeHookEnvironment);

}  // namespace
