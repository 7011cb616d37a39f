#include "winkit/wk_class_factory.h"

STDMETHODIMP WkClassFactoryBase::QueryInterface(REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) WkClassFactoryBase::AddRef() {
  return InterlockedIncrement(&m_ref);
}

STDMETHODIMP_(ULONG) WkClassFactoryBase::Release() {
  LONG ref = InterlockedDecrement(&m_ref);
  if (ref == 0)
    delete this;
  return ref;
}

STDMETHODIMP WkClassFactoryBase::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (outer)
    return CLASS_E_NOAGGREGATION;
  IUnknown* object = nullptr;
  HRESULT hr = dojob_get_object(&object);
  if (FAILED(hr))
    return hr;
  if (!object)
    return E_FAIL;
  hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}

STDMETHODIMP WkClassFactoryBase::LockServer(BOOL lock) {
  WkComModule* module = WkComModule::Current();
  if (module) {
    if (lock)
      module->Lock();
    else
      module->Unlock();
  }
  return S_OK;
}
