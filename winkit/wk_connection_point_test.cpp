#include "winkit/wk_connection_point.h"

#include <gtest/gtest.h>

#include <olectl.h>

#include <utility>
#include <vector>

#include "winkit/wk_com_test_objects.h"

namespace {

// An object with one connection point for IPropertyNotifySink, as the program's COM
// objects have theirs.
class Source : public WkConnectionPointContainerImpl {
 public:
  Source() : point_(this, this, IID_IPropertyNotifySink) { AddConnectionPoint(&point_); }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPointContainer)) {
      *out = static_cast<IConnectionPointContainer*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }

  HRESULT Fire() {
    return point_.Fire<IPropertyNotifySink>([](IPropertyNotifySink* s) { return s->OnChanged(1); });
  }
  WkConnectionPoint& point() { return point_; }
  ULONG refs() const { return refs_; }

 private:
  ULONG refs_ = 1;
  WkConnectionPoint point_;
};

std::vector<DWORD> cookies(IConnectionPoint* point) {
  std::vector<DWORD> out;
  IEnumConnections* e = nullptr;
  if (FAILED(point->EnumConnections(&e)))
    return out;
  CONNECTDATA d;
  ULONG got = 0;
  while (e->Next(1, &d, &got) == S_OK && got == 1) {
    out.push_back(d.dwCookie);
    d.pUnk->Release();
  }
  e->Release();
  return out;
}

TEST(WkConnectionPointTest, AdviseUnadviseAndEnumerateAnyNumberOfSinks) {
  Source source;
  TestSink a, b, c, not_a_sink(false);
  IConnectionPoint* point = nullptr;
  ASSERT_EQ(source.FindConnectionPoint(IID_IPropertyNotifySink, &point), S_OK);
  EXPECT_EQ(point, &source.point());
  EXPECT_EQ(source.refs(), 2u) << "the connection point counts on its object";
  IConnectionPoint* none = nullptr;
  EXPECT_EQ(source.FindConnectionPoint(IID_IDispatch, &none), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(none, nullptr);

  DWORD ca = 0, cb = 0, cc = 0, bad = 7;
  EXPECT_EQ(point->Advise(&not_a_sink, &bad), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(bad, 0u);
  EXPECT_EQ(point->Advise(nullptr, &bad), E_POINTER);
  ASSERT_EQ(point->Advise(&a, &ca), S_OK);
  ASSERT_EQ(point->Advise(&b, &cb), S_OK);
  ASSERT_EQ(point->Advise(&c, &cc), S_OK);
  EXPECT_EQ(cookies(point), (std::vector<DWORD>{ca, cb, cc}));
  EXPECT_EQ(b.refs(), 2u);

  EXPECT_EQ(point->Unadvise(cb), S_OK);
  EXPECT_EQ(point->Unadvise(cb), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(b.refs(), 1u);
  EXPECT_EQ(cookies(point), (std::vector<DWORD>{ca, cc}));
  // A sink connected again gets a cookie of its own.
  DWORD again = 0;
  ASSERT_EQ(point->Advise(&b, &again), S_OK);
  EXPECT_NE(again, cb);

  IConnectionPointContainer* back = nullptr;
  ASSERT_EQ(point->GetConnectionPointContainer(&back), S_OK);
  EXPECT_EQ(back, static_cast<IConnectionPointContainer*>(&source));
  back->Release();
  point->Release();
  source.point().UnadviseAll();
  EXPECT_EQ(a.refs(), 1u);
  EXPECT_EQ(b.refs(), 1u);
  EXPECT_EQ(c.refs(), 1u);
  EXPECT_EQ(source.refs(), 1u);
}

TEST(WkConnectionPointTest, FireCallsEverySinkReturnsTheLastResultAndDropsDeadSinks) {
  Source source;
  EXPECT_EQ(source.Fire(), S_OK) << "no sink, nothing to refuse";
  TestSink refusing(true, E_FAIL), dead(true, RPC_E_DISCONNECTED), gone(true, RPC_E_SERVER_DIED),
      fine(true, S_OK);
  DWORD cookie = 0;
  source.point().Advise(&refusing, &cookie);
  source.point().Advise(&dead, &cookie);
  EXPECT_EQ(source.Fire(), RPC_E_DISCONNECTED);
  source.point().Advise(&fine, &cookie);
  EXPECT_EQ(source.Fire(), S_OK);
  EXPECT_EQ(dead.calls(), 1) << "a dead sink is disconnected after its first failure";
  EXPECT_EQ(dead.refs(), 1u);
  EXPECT_EQ(refusing.calls(), 2) << "a refusal is the sink's answer, not its death";
  source.point().Advise(&gone, &cookie);
  EXPECT_EQ(source.Fire(), RPC_E_SERVER_DIED);
  EXPECT_EQ(source.point().sink_count(), 2u);
  EXPECT_EQ(fine.calls(), 2);
  source.point().UnadviseAll();
  EXPECT_EQ(fine.refs(), 1u);
  EXPECT_EQ(gone.refs(), 1u);
}

// An engine that died while nothing was asked of it is found without calling its methods;
// each sink's own answer to a fire is told apart from the last one returned.
TEST(WkConnectionPointTest, DeadSinksAreFoundWithoutACallAndEachAnswerIsTold) {
  Source source;
  TestSink fine(true, S_OK), refusing(true, E_FAIL), dead(true, RPC_E_SERVER_DIED);
  DWORD c_fine = 0, c_refusing = 0, c_dead = 0;
  source.point().Advise(&fine, &c_fine);
  source.point().Advise(&dead, &c_dead);
  source.point().Advise(&refusing, &c_refusing);
  EXPECT_EQ(source.point().DropDeadSinks(), 1u);
  EXPECT_EQ(dead.calls(), 0);
  EXPECT_EQ(dead.refs(), 1u);
  EXPECT_TRUE(source.point().has_sink(c_fine));
  EXPECT_FALSE(source.point().has_sink(c_dead));
  EXPECT_TRUE(source.point().has_sink(c_refusing)) << "a refusal is no sign of death";
  EXPECT_EQ(source.point().DropDeadSinks(), 0u);

  std::vector<std::pair<DWORD, HRESULT>> answers;
  HRESULT last = source.point().Fire<IPropertyNotifySink>(
      [](IPropertyNotifySink* s) { return s->OnChanged(1); },
      [&](DWORD cookie, HRESULT hr) { answers.emplace_back(cookie, hr); });
  EXPECT_EQ(last, E_FAIL);
  EXPECT_EQ(answers,
            (std::vector<std::pair<DWORD, HRESULT>>{{c_fine, S_OK}, {c_refusing, E_FAIL}}));
  source.point().UnadviseAll();
  EXPECT_EQ(fine.refs(), 1u);
  EXPECT_EQ(refusing.refs(), 1u);
}

}  // namespace
