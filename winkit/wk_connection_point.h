// Outgoing interfaces of a COM object: a connection point per interface with any number of
// sinks, and the container that finds them. A connection point lives inside its object
// and shares the object's reference count, as the container does.
#pragma once

#include <vector>

#include "platform/win32/win.h"

#include <ocidl.h>

// True for the results that say the sink's process or apartment is gone.
bool WkIsDeadSinkResult(HRESULT hr);

class WkConnectionPoint : public IConnectionPoint {
 public:
  // owner: the object's IUnknown, which counts the references of this connection point.
  WkConnectionPoint(IUnknown* owner, IConnectionPointContainer* container, const IID& iid);
  WkConnectionPoint(const WkConnectionPoint&) = delete;
  WkConnectionPoint& operator=(const WkConnectionPoint&) = delete;
  virtual ~WkConnectionPoint();

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** out) override;

  // Calls call(sink) for every sink in the order they connected and returns the last
  // result (S_OK without sinks). A sink whose process is gone is disconnected, so that one
  // dead client never blocks the next. I is the connection point's interface.
  template <class I, class Call>
  HRESULT Fire(Call call) {
    return Fire<I>(call, [](DWORD, HRESULT) {});
  }
  // The same, telling each sink's cookie and answer to each(cookie, hr).
  template <class I, class Call, class Each>
  HRESULT Fire(Call call, Each each) {
    std::vector<CONNECTDATA> sinks = dojob_snapshot();
    HRESULT hr = S_OK;
    for (CONNECTDATA& d : sinks) {
      hr = call(static_cast<I*>(d.pUnk));
      if (WkIsDeadSinkResult(hr))
        Unadvise(d.dwCookie);
      d.pUnk->Release();
      each(d.dwCookie, hr);
    }
    return hr;
  }

  // Disconnects the sinks whose process is gone, without calling their methods: each is
  // asked for an interface that no sink has, which a proxy cannot answer without its
  // process. Returns how many were dropped.
  size_t DropDeadSinks();

  const IID& iid() const { return m_iid; }
  size_t sink_count() const { return m_sinks.size(); }
  bool has_sink(DWORD cookie) const;
  // Releases every sink (when the owning object is torn down).
  void UnadviseAll();

 private:
  // The sinks with one reference each taken for the caller.
  std::vector<CONNECTDATA> dojob_snapshot();

  IUnknown* m_owner;
  IConnectionPointContainer* m_container;
  IID m_iid;
  std::vector<CONNECTDATA> m_sinks;
  DWORD m_next_cookie = 1;
};

// IConnectionPointContainer over the object's connection points. The object derives from
// it, lists its points with AddConnectionPoint and supplies the IUnknown methods.
class WkConnectionPointContainerImpl : public IConnectionPointContainer {
 public:
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

 protected:
  void AddConnectionPoint(WkConnectionPoint* point) { m_points.push_back(point); }

 private:
  std::vector<WkConnectionPoint*> m_points;
};
