// The IUnknown side of a COM object with outgoing events: one incoming interface I beside
// the connection-point container, a reference count, and the module kept locked while the
// object lives so that a local server does not end under it. Derived objects list their
// connection points in their constructor and may do their setup in FinalConstruct.
#pragma once

#include <new>
#include <utility>

#include "platform/win32/win.h"

#include "winkit/wk_com_module.h"
#include "winkit/wk_connection_point.h"

template <class Derived, class I>
class WkComObject : public I, public WkConnectionPointContainerImpl {
 public:
  // A new object with one reference, or null with the result of the failing step: any
  // result of FinalConstruct (given args) other than S_OK counts as failure.
  template <class... Args>
  static HRESULT CreateInstance(Derived** out, Args&&... args) {
    if (!out)
      return E_POINTER;
    *out = nullptr;
    Derived* p = new (std::nothrow) Derived;
    if (!p)
      return E_OUTOFMEMORY;
    p->AddRef();
    HRESULT hr = p->FinalConstruct(std::forward<Args>(args)...);
    if (hr != S_OK) {
      p->Release();
      return hr;
    }
    *out = p;
    return S_OK;
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, m_iid)) {
      *out = static_cast<I*>(this);
    } else if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
      *out = static_cast<IConnectionPointContainer*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    this->AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_ref); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG ref = InterlockedDecrement(&m_ref);
    if (ref == 0) {
      // Kept alive through the last steps, since they may take and drop references to us.
      m_ref = 1;
      OnFinalRelease();
      delete this;
    }
    return ref;
  }

 protected:
  explicit WkComObject(REFIID iid) : m_iid(iid) {
    if (WkComModule* module = WkComModule::Current())
      module->Lock();
  }
  virtual ~WkComObject() {
    if (WkComModule* module = WkComModule::Current())
      module->Unlock();
  }
  // Runs once the last reference is gone, before the object is deleted.
  virtual void OnFinalRelease() {}

 private:
  const IID m_iid;
  volatile LONG m_ref = 0;
};
