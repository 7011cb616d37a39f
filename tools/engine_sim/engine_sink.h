// The engine's IQelUIEvents sink: the program's record and stop requests, handed to the
// engine core while it is attached.
#pragma once

#include "app/qel_com_ps.h"

class EngineSimCore;

class EngineSink : public IQelUIEvents {
 public:
  explicit EngineSink(EngineSimCore* core) : m_core(core) {}
  // The core is gone: later requests are refused.
  void Detach() { m_core = nullptr; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP EngineReserved1() override { return E_NOTIMPL; }
  STDMETHODIMP EngineReserved2() override { return E_NOTIMPL; }
  STDMETHODIMP RequestRecord(BSTR file_path) override;
  STDMETHODIMP RequestStop() override;

 private:
  virtual ~EngineSink() = default;

  EngineSimCore* m_core;
  volatile LONG m_ref = 1;
};
