// Small COM objects for the winkit tests: a counted object that implements IUnknown and,
// optionally, IPropertyNotifySink with a chosen result. A sink whose result says its process
// is gone answers every other question the same way, as a proxy to a dead process does.
#pragma once

#include "platform/win32/win.h"

#include <ocidl.h>

#include "winkit/wk_connection_point.h"

class TestSink : public IPropertyNotifySink {
 public:
  explicit TestSink(bool is_sink = true, HRESULT result = S_OK)
      : is_sink_(is_sink), result_(result) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || (is_sink_ && IsEqualIID(iid, IID_IPropertyNotifySink))) {
      *out = static_cast<IPropertyNotifySink*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return WkIsDeadSinkResult(result_) ? result_ : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP OnChanged(DISPID) override {
    ++calls_;
    return result_;
  }
  STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }

  // Objects live on the test's stack: the count only tells whether references leak.
  ULONG refs() const { return refs_; }
  int calls() const { return calls_; }

 private:
  bool is_sink_;
  HRESULT result_;
  ULONG refs_ = 1;
  int calls_ = 0;
};
