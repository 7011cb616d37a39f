#include "winkit/wk_class_factory.h"

#include <gtest/gtest.h>

namespace {

// Counts live objects; creation fails while `fail` is set.
class Counted final : public IUnknown {
 public:
  static inline int live = 0;
  static inline HRESULT fail = S_OK;

  static HRESULT CreateInstance(Counted** out) {
    *out = nullptr;
    if (fail != S_OK)
      return fail;
    *out = new Counted;
    return S_OK;
  }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!IsEqualIID(iid, IID_IUnknown)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG r = --refs_;
    if (r == 0)
      delete this;
    return r;
  }

 private:
  Counted() { ++live; }
  ~Counted() { --live; }
  ULONG refs_ = 1;
};

TEST(WkClassFactoryTest, SingletonHandsEveryClientTheSameObjectUntilItIsReleased) {
  IClassFactory* factory = nullptr;
  ASSERT_EQ(WkSingletonClassFactory<Counted>::Make(&factory), S_OK);
  IUnknown* outer = reinterpret_cast<IUnknown*>(factory);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(Counted::live, 0) << "refused requests create nothing";
  Counted::fail = E_OUTOFMEMORY;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &out), E_OUTOFMEMORY);
  Counted::fail = S_OK;

  IUnknown* first = nullptr;
  IUnknown* second = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&first)), S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&second)),
            S_OK);
  EXPECT_EQ(first, second);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, &out), E_NOINTERFACE);
  first->Release();
  second->Release();
  EXPECT_EQ(Counted::live, 1) << "the factory keeps the singleton";
  factory->Release();
  EXPECT_EQ(Counted::live, 0);
}

}  // namespace
