// The engine's IQelUIEvents sink: the program's record and stop requests, handed to the
// engine core while it is attached.
#pragma once

#include "app/qel_com_ps.h"
#include "winkit/wk_unknown.h"

class EngineSimCore;

class EngineSink : public WkUnknown<IQelUIEvents> {
 public:
  explicit EngineSink(EngineSimCore* core) : WkUnknown(IID_IQelUIEvents), m_core(core) {}
  // The core is gone: later requests are refused.
  void Detach() { m_core = nullptr; }

  STDMETHODIMP EngineReserved1() override { return E_NOTIMPL; }
  STDMETHODIMP EngineReserved2() override { return E_NOTIMPL; }
  STDMETHODIMP RequestRecord(BSTR file_path) override;
  STDMETHODIMP RequestStop() override;

 private:
  ~EngineSink() override = default;

  EngineSimCore* m_core;
};
