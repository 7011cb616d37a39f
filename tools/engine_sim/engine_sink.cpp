#include "tools/engine_sim/engine_sink.h"

#include "tools/engine_sim/engine_sim_core.h"

STDMETHODIMP EngineSink::QueryInterface(REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IQelUIEvents)) {
    *out = static_cast<IQelUIEvents*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) EngineSink::AddRef() {
  return InterlockedIncrement(&m_ref);
}

STDMETHODIMP_(ULONG) EngineSink::Release() {
  LONG ref = InterlockedDecrement(&m_ref);
  if (ref == 0)
    delete this;
  return ref;
}

STDMETHODIMP EngineSink::RequestRecord(BSTR file_path) {
  return m_core ? m_core->OnRequestRecord(file_path) : E_UNEXPECTED;
}

STDMETHODIMP EngineSink::RequestStop() {
  return m_core ? m_core->OnRequestStop() : E_UNEXPECTED;
}
