#include "winkit/wk_class_factory.h"

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
