#include "winkit/wk_com_object.h"

#include <gtest/gtest.h>

#include <ocidl.h>

namespace {

class Probe : public WkComObject<Probe, IPropertyNotifySink> {
 public:
  static inline HRESULT construct_result = S_OK;
  static inline int live = 0;
  static inline int final_releases = 0;

  HRESULT FinalConstruct() { return construct_result; }
  STDMETHODIMP OnChanged(DISPID) override { return S_OK; }
  STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }

 private:
  friend class WkComObject<Probe, IPropertyNotifySink>;

  Probe()
      : WkComObject(IID_IPropertyNotifySink),
        m_events(static_cast<IPropertyNotifySink*>(this), this, IID_IPropertySetStorage) {
    AddConnectionPoint(&m_events);
    ++live;
  }
  ~Probe() override { --live; }
  // Taking and dropping a reference here must not delete the object twice.
  void OnFinalRelease() override {
    ++final_releases;
    AddRef();
    Release();
  }

  WkConnectionPoint m_events;
};

class WkComObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Probe::construct_result = S_OK;
    Probe::final_releases = 0;
  }
  void TearDown() override { EXPECT_EQ(Probe::live, 0); }
  WkComModule module;
};

TEST_F(WkComObjectTest, ObjectHoldsTheModuleUntilItsLastReferenceGoes) {
  Probe* probe = nullptr;
  ASSERT_EQ(Probe::CreateInstance(&probe), S_OK);
  EXPECT_EQ(module.GetLockCount(), 1);

  IUnknown* identity = nullptr;
  ASSERT_EQ(probe->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, static_cast<IPropertyNotifySink*>(probe));
  IConnectionPointContainer* container = nullptr;
  ASSERT_EQ(
      probe->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
      S_OK);
  IConnectionPoint* point = nullptr;
  EXPECT_EQ(container->FindConnectionPoint(IID_IPropertySetStorage, &point), S_OK);
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(probe->QueryInterface(IID_IDispatch, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(probe->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

  point->Release();
  container->Release();
  identity->Release();
  EXPECT_EQ(Probe::live, 1);
  probe->Release();
  EXPECT_EQ(Probe::final_releases, 1);
  EXPECT_EQ(module.GetLockCount(), 0);
}

TEST_F(WkComObjectTest, FailedFinalConstructLeavesNoObject) {
  for (HRESULT result : {E_FAIL, S_FALSE}) {
    Probe::construct_result = result;
    Probe* probe = reinterpret_cast<Probe*>(1);
    EXPECT_EQ(Probe::CreateInstance(&probe), result);
    EXPECT_EQ(probe, nullptr);
    EXPECT_EQ(Probe::live, 0);
    EXPECT_EQ(module.GetLockCount(), 0);
  }
  EXPECT_EQ(Probe::CreateInstance(nullptr), E_POINTER);
}

}  // namespace
