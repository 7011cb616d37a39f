#include "qel_lib/qel_subject.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Cmd {
  int id;
};
using CmdSubject = SimpleSubject<void*, void, const Cmd*>;

class Listener : public ZulIObject {
 public:
  void OnCmd(const Cmd* c) {
    seen.push_back(c->id);
    if (subject && detach_on_event)
      subject->Detach(&adapter);
  }
  ObserverAdapter<Listener, CmdSubject> adapter;
  std::vector<int> seen;
  CmdSubject* subject = nullptr;
  bool detach_on_event = false;
};

shared_ptr<Listener> make_listener(CmdSubject& s) {
  shared_ptr<Listener> l(new Listener);
  l->adapter.Bind(l, &Listener::OnCmd);
  s.Attach(&l->adapter, 0);
  l->subject = &s;
  return l;
}

TEST(Subject, DeliversInOrderAndTwiceWhenAttachedTwice) {
  CmdSubject s;
  auto a = make_listener(s);
  auto b = make_listener(s);
  s.Attach(&a->adapter, 0);
  Cmd c{1};
  s.Notify(&c);
  EXPECT_EQ(a->seen, (std::vector<int>{1, 1}));
  EXPECT_EQ(b->seen, (std::vector<int>{1}));
  EXPECT_TRUE(s.Detach(&a->adapter));
  c.id = 2;
  s.Notify(&c);
  EXPECT_EQ(a->seen, (std::vector<int>{1, 1, 2}));
  EXPECT_TRUE(s.Detach(&a->adapter));
  EXPECT_FALSE(s.Detach(&a->adapter));
}

TEST(Subject, ExpiredObserversAreSkippedAndKept) {
  CmdSubject s;
  { auto gone = make_listener(s); }
  EXPECT_EQ(s.size(), 1u);
  Cmd c{3};
  s.Notify(&c);  // must not touch the deleted listener
  EXPECT_EQ(s.size(), 1u);
}

class Tagged : public ZulIObject {
 public:
  void OnCmd(const Cmd* c) { log->push_back(tag); }
  ObserverAdapter<Tagged, CmdSubject> adapter;
  std::vector<int>* log = nullptr;
  int tag = 0;
};

// An adapter whose owner has died, or that was never bound, stays attached and hears
// nothing.
TEST(Subject, ObserverWhoseOwnerIsGoneIgnoresEvents) {
  CmdSubject s;
  std::vector<int> heard;
  ObserverAdapter<Tagged, CmdSubject> orphan;
  {
    shared_ptr<Tagged> owner(new Tagged);
    owner->log = &heard;
    orphan.Bind(owner, &Tagged::OnCmd);
  }
  s.Attach(&orphan, 0);
  Cmd c{4};
  s.Notify(&c);
  ObserverAdapter<Tagged, CmdSubject> unbound;
  s.Attach(&unbound, 0);
  s.Notify(&c);
  EXPECT_TRUE(heard.empty());
  EXPECT_EQ(s.size(), 2u);
  EXPECT_TRUE(s.Detach(&orphan));
  EXPECT_TRUE(s.Detach(&unbound));
  EXPECT_EQ(s.size(), 0u);
}

// Observers hear an event in the order they attached.
TEST(Subject, DeliveryFollowsTheOrderOfAttaching) {
  CmdSubject s;
  std::vector<int> order;
  std::vector<shared_ptr<Tagged>> listeners;
  for (int tag : {1, 2, 3}) {
    shared_ptr<Tagged> t(new Tagged);
    t->log = &order;
    t->tag = tag;
    t->adapter.Bind(t, &Tagged::OnCmd);
    s.Attach(&t->adapter, 0);
    listeners.push_back(t);
  }
  Cmd c{6};
  s.Notify(&c);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

// An observer bound to a living owner but to no handler (as an owner's teardown leaves it)
// must stay silent rather than call through a null member pointer.
TEST(Subject, ObserverWithoutHandlerIgnoresEvents) {
  CmdSubject s;
  shared_ptr<Listener> owner(new Listener);
  owner->adapter.Bind(owner, nullptr);
  s.Attach(&owner->adapter, 0);
  Cmd c{7};
  s.Notify(&c);
  EXPECT_TRUE(owner->seen.empty());
}

TEST(Subject, ObserversMayDetachDuringDelivery) {
  CmdSubject s;
  auto a = make_listener(s);
  auto b = make_listener(s);
  a->detach_on_event = true;
  Cmd c{5};
  s.Notify(&c);
  s.Notify(&c);
  EXPECT_EQ(a->seen, (std::vector<int>{5}));
  EXPECT_EQ(b->seen, (std::vector<int>{5, 5}));
}

}  // namespace
