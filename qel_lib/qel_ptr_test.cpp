#include "qel_lib/qel_ptr.h"

#include <gtest/gtest.h>

#include "qel_lib/qel_assert_capture.h"

namespace {

int g_deleted = 0;

class Thing : public ZulIObject {
 public:
  ~Thing() override { ++g_deleted; }
  int value = 7;
};

// Two framework bases in one object still share one count and one block link.
class Other : public ZulIObject {};
class Both : public Thing, public Other {};

class PtrTest : public ::testing::Test {
 protected:
  void SetUp() override { g_deleted = 0; }
  AssertCapture capture;
};

TEST_F(PtrTest, PointersMadeSeparatelyFromOneObjectShareTheBlock) {
  Thing* raw = new Thing;
  {
    shared_ptr<Thing> a(raw);
    {
      shared_ptr<Thing> b(raw);
      EXPECT_EQ(a.block(), b.block());
      EXPECT_EQ(a.block()->shared_count, 2);
    }
    EXPECT_EQ(g_deleted, 0);
    EXPECT_EQ(a->value, 7);
  }
  EXPECT_EQ(g_deleted, 1);
  EXPECT_EQ(capture.count(), 0u);
}

TEST_F(PtrTest, NullAndEmptyPointersOwnAFreshBlock) {
  shared_ptr<Thing> empty;
  shared_ptr<Thing> null(static_cast<Thing*>(nullptr));
  EXPECT_FALSE(empty.valid());
  EXPECT_FALSE(null.valid());
  EXPECT_NE(empty.block(), null.block());
  EXPECT_EQ(null.block()->shared_count, 1);
  EXPECT_EQ(null.get(), nullptr);
  weak_ptr<Thing> w;
  EXPECT_FALSE(w.lock().valid());
}  // ASan reports the blocks if they leak

TEST_F(PtrTest, LockAfterDeleteGivesEmptyAndKeepsWeakBlock) {
  weak_ptr<Thing> w;
  {
    shared_ptr<Thing> s(new Thing);
    w = s;
    shared_ptr<Thing> locked = w.lock();
    EXPECT_TRUE(locked.valid());
    EXPECT_EQ(s.block()->shared_count, 2);
  }
  EXPECT_EQ(g_deleted, 1);
  EXPECT_FALSE(w.valid());
  shared_ptr<Thing> again = w.lock();
  EXPECT_FALSE(again.valid());
  EXPECT_NE(again.block(), w.block());
  EXPECT_EQ(w.block()->weak_count, 1);
  EXPECT_EQ(w.block()->shared_count, 0);
}

// An object whose teardown looks itself up through a weak pointer (its own destructor, or
// a member's destructor during its teardown) must find nothing: a pointer handed out then
// would delete the object a second time when released.
class SelfWatcher;
struct Member {
  SelfWatcher* owner = nullptr;
  ~Member();
};
class SelfWatcher : public ZulIObject {
 public:
  ~SelfWatcher() override {
    locked_in_destructor = self.lock().valid();
    ++g_deleted;
  }
  weak_ptr<SelfWatcher> self;
  bool locked_in_destructor = true;
  bool locked_in_member = true;
  Member member;  // destroyed after the body above, while the object is still going
  static bool last_destructor_lock, last_member_lock;
};
bool SelfWatcher::last_destructor_lock = true;
bool SelfWatcher::last_member_lock = true;

Member::~Member() {
  if (!owner)
    return;
  SelfWatcher::last_member_lock = owner->self.lock().valid();
  SelfWatcher::last_destructor_lock = owner->locked_in_destructor;
}

TEST_F(PtrTest, LockDuringTheObjectsOwnTeardownGivesNothing) {
  SelfWatcher::last_destructor_lock = SelfWatcher::last_member_lock = true;
  weak_ptr<SelfWatcher> outside;
  {
    shared_ptr<SelfWatcher> s(new SelfWatcher);
    s->self = s;
    s->member.owner = s.get();
    outside = s;
  }
  EXPECT_EQ(g_deleted, 1);
  EXPECT_FALSE(SelfWatcher::last_destructor_lock);
  EXPECT_FALSE(SelfWatcher::last_member_lock);
  EXPECT_FALSE(outside.lock().valid());
  EXPECT_EQ(outside.block()->shared_count, 0);
  EXPECT_EQ(outside.block()->weak_count, 1);
  EXPECT_EQ(capture.count(), 0u);
}

TEST_F(PtrTest, AssignmentSwitchesBlocksAndReleasesTheOld) {
  shared_ptr<Thing> a(new Thing);
  shared_ptr<Thing> b(new Thing);
  detail_count* block = a.block();
  a = a;
  EXPECT_EQ(block->shared_count, 1);
  a = b;
  EXPECT_EQ(g_deleted, 1);
  EXPECT_EQ(a.block(), b.block());
  EXPECT_EQ(b.block()->shared_count, 2);
  a.reset();
  EXPECT_FALSE(a.valid());
  EXPECT_TRUE(b.valid());
}

TEST_F(PtrTest, ObjectWithTwoFrameworkBasesHasOneBlock) {
  Both* raw = new Both;
  shared_ptr<Both> both(raw);
  shared_ptr<Other> other(static_cast<Other*>(raw));
  shared_ptr<Thing> thing(both);
  EXPECT_EQ(other.block(), both.block());
  weak_ptr<Other> w(thing);
  EXPECT_EQ(w.lock().get(), static_cast<Other*>(raw));
  both.reset();
  other.reset();
  thing.reset();
  EXPECT_EQ(g_deleted, 1);
}

TEST_F(PtrTest, CopyingAnObjectIsReported) {
  Thing a;
  Thing b(a);
  b = a;
  static_cast<t_ZulIObject&>(b) = a;
  EXPECT_TRUE(capture.Has("t_ZulIObject::t_ZulIObject", "false"));
  EXPECT_TRUE(capture.Has("ZulIObject::ZulIObject", "false"));
  EXPECT_TRUE(capture.Has("t_ZulIObject::operator =", "false"));
  EXPECT_TRUE(capture.Has("ZulIObject::operator =", "false"));
  EXPECT_EQ(b.get_detail(), nullptr);  // the copy does not share a's link
}

TEST_F(PtrTest, IntrusiveCountDeletesAtZero) {
  Thing* t = new Thing;
  EXPECT_EQ(t->AddRef(), 1);
  EXPECT_EQ(t->AddRef(), 2);
  EXPECT_EQ(t->Release(), 1);
  EXPECT_EQ(t->Release(), 0);
  EXPECT_EQ(g_deleted, 1);
  EXPECT_EQ(capture.count(), 0u);
}

}  // namespace
