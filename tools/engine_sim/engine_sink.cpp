#include "tools/engine_sim/engine_sink.h"

#include "tools/engine_sim/engine_sim_core.h"

STDMETHODIMP EngineSink::RequestRecord(BSTR file_path) {
  return m_core ? m_core->OnRequestRecord(file_path) : E_UNEXPECTED;
}

STDMETHODIMP EngineSink::RequestStop() {
  return m_core ? m_core->OnRequestStop() : E_UNEXPECTED;
}
