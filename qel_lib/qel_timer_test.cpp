#include "qel_lib/qel_timer.h"

#include <gtest/gtest.h>

#include "platform/event_loop.h"
#include "qel_lib/qel_assert_capture.h"

namespace {

class Owner : public ZulIObject {
 public:
  void Fire() {
    ++fired;
    if (restart && fired < 3)
      timer->Start(5);
  }
  shared_ptr<ZulTimer<Owner>> timer{new ZulTimer<Owner>};
  int fired = 0;
  bool restart = false;
};

shared_ptr<Owner> make_owner() {
  shared_ptr<Owner> o(new Owner);
  o->timer->Bind(o, &Owner::Fire);
  return o;
}

void spin(unsigned ms) {
  platform::run_loop_until([] { return false; }, ms);
}

TEST(Timer, FiresOncePerStart) {
  AssertCapture capture;
  auto o = make_owner();
  ASSERT_TRUE(o->timer->Start(5));
  EXPECT_TRUE(o->timer->IsRunning());
  EXPECT_TRUE(platform::run_loop_until([&] { return o->fired == 1; }, 2000));
  EXPECT_FALSE(o->timer->IsRunning());
  spin(60);
  EXPECT_EQ(o->fired, 1);
  EXPECT_EQ(capture.count(), 0u);
}

TEST(Timer, IntervalZeroStopsARunningTimer) {
  auto o = make_owner();
  ASSERT_TRUE(o->timer->Start(5));
  EXPECT_TRUE(o->timer->Start(0));
  EXPECT_FALSE(o->timer->IsRunning());
  spin(60);
  EXPECT_EQ(o->fired, 0);
  ASSERT_TRUE(o->timer->Start(5));
  EXPECT_TRUE(o->timer->Stop());
  spin(60);
  EXPECT_EQ(o->fired, 0);
}

TEST(Timer, TimerDeletedWhileRunningNeverFires) {
  AssertCapture capture;
  auto o = make_owner();
  ASSERT_TRUE(o->timer->Start(5));
  o->timer.reset();
  spin(60);
  EXPECT_EQ(o->fired, 0);
  EXPECT_EQ(capture.count(), 0u);
}

TEST(Timer, HandlerMayRestartItsTimer) {
  auto o = make_owner();
  o->restart = true;
  ASSERT_TRUE(o->timer->Start(5));
  EXPECT_TRUE(platform::run_loop_until([&] { return o->fired == 3; }, 3000));
  spin(60);
  EXPECT_EQ(o->fired, 3);
}

TEST(Timer, OwnerGoneMeansNoCall) {
  shared_ptr<ZulTimer<Owner>> timer;
  {
    auto o = make_owner();
    timer = o->timer;
    ASSERT_TRUE(timer->Start(5));
  }
  spin(60);  // fires into an expired owner: nothing happens
  EXPECT_FALSE(timer->IsRunning());
}

}  // namespace
