// IUnknown for a heap object that offers one interface I: created with one reference and
// deleted when the last one goes.
#pragma once

#include "platform/win32/win.h"

#include <objbase.h>

template <class I>
class WkUnknown : public I {
 public:
  WkUnknown(const WkUnknown&) = delete;
  WkUnknown& operator=(const WkUnknown&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out)
      return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, m_iid)) {
      *out = static_cast<I*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_ref); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG ref = InterlockedDecrement(&m_ref);
    if (ref == 0)
      delete this;
    return ref;
  }

 protected:
  explicit WkUnknown(REFIID iid) : m_iid(iid) {}
  virtual ~WkUnknown() = default;

 private:
  const IID m_iid;
  volatile LONG m_ref = 1;
};
