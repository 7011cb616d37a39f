// Class factories for the module's object map. T provides
//   static HRESULT CreateInstance(T** out);   // one reference, FinalConstruct done
// and the IUnknown methods. The plain factory makes a new object per request; the singleton
// factory makes one on the first request and hands that same object to every client.
#pragma once

#include <new>

#include "platform/win32/win.h"

#include <objbase.h>

#include "winkit/wk_com_module.h"
#include "winkit/wk_unknown.h"

class WkClassFactoryBase : public WkUnknown<IClassFactory> {
 public:
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  // Clients keep a local server alive through the module's lock count.
  STDMETHODIMP LockServer(BOOL lock) override;

 protected:
  WkClassFactoryBase() : WkUnknown(IID_IClassFactory) {}
  // Returns one reference to the object that serves this request.
  virtual HRESULT dojob_get_object(IUnknown** out) = 0;
};

template <class T>
class WkClassFactory : public WkClassFactoryBase {
 public:
  static HRESULT Make(IClassFactory** out) {
    *out = new (std::nothrow) WkClassFactory<T>;
    return *out ? S_OK : E_OUTOFMEMORY;
  }

 protected:
  HRESULT dojob_get_object(IUnknown** out) override {
    T* object = nullptr;
    HRESULT hr = T::CreateInstance(&object);
    if (!object)
      return FAILED(hr) ? hr : E_FAIL;
    // T has several IUnknown bases; its QueryInterface picks the identity.
    hr = object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(out));
    object->Release();
    return hr;
  }
};

template <class T>
class WkSingletonClassFactory : public WkClassFactoryBase {
 public:
  static HRESULT Make(IClassFactory** out) {
    *out = new (std::nothrow) WkSingletonClassFactory<T>;
    return *out ? S_OK : E_OUTOFMEMORY;
  }

 protected:
  // The factory keeps its reference until it is released at the end of the process.
  ~WkSingletonClassFactory() override {
    if (m_object)
      m_object->Release();
  }
  HRESULT dojob_get_object(IUnknown** out) override {
    if (!m_object) {
      HRESULT hr = T::CreateInstance(&m_object);
      if (hr != S_OK || !m_object) {
        m_object = nullptr;
        return FAILED(hr) ? hr : E_FAIL;
      }
    }
    return m_object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(out));
  }

 private:
  T* m_object = nullptr;
};
