#include "winkit/wk_connection_point.h"

#include <objbase.h>
#include <olectl.h>

#include "winkit/wk_com_enum.h"

namespace {

// Asked of a sink only to reach its process; nothing implements it.
// {6F1C2A0E-93B4-4D57-A8E1-2C5B7D90F314}
const IID kIidLivenessProbe = {0x6f1c2a0e,
                               0x93b4,
                               0x4d57,
                               {0xa8, 0xe1, 0x2c, 0x5b, 0x7d, 0x90, 0xf3, 0x14}};

// Whether a proxy's process is gone: marshaling a proxy for an interface it has not got
// always asks the object's process (a plain QueryInterface may answer the failure with
// E_NOINTERFACE, as Wine's does). One question only: under Wine every call that cannot reach
// a dead process keeps a few handles for good.
bool is_dead_proxy(IUnknown* proxy) {
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)))
    return false;
  HRESULT hr =
      CoMarshalInterface(stream, kIidLivenessProbe, proxy, MSHCTX_LOCAL, nullptr, MSHLFLAGS_NORMAL);
  if (SUCCEEDED(hr)) {
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    CoReleaseMarshalData(stream);
  }
  stream->Release();
  return WkIsDeadSinkResult(hr);
}

// Whether the sink's process is gone. A proxy answers IMultiQI itself, without a call.
bool is_dead_sink(IUnknown* sink) {
  IMultiQI* proxy = nullptr;
  if (SUCCEEDED(sink->QueryInterface(IID_IMultiQI, reinterpret_cast<void**>(&proxy))) && proxy) {
    proxy->Release();
    return is_dead_proxy(sink);
  }
  IUnknown* answer = nullptr;
  HRESULT hr = sink->QueryInterface(kIidLivenessProbe, reinterpret_cast<void**>(&answer));
  if (answer)
    answer->Release();
  return WkIsDeadSinkResult(hr);
}

}  // namespace

bool WkIsDeadSinkResult(HRESULT hr) {
  switch (hr) {
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
    case CO_E_OBJNOTCONNECTED:
    case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE):
      return true;
    default:
      return false;
  }
}

WkConnectionPoint::WkConnectionPoint(IUnknown* owner,
                                     IConnectionPointContainer* container,
                                     const IID& iid)
    : m_owner(owner), m_container(container), m_iid(iid) {}

WkConnectionPoint::~WkConnectionPoint() {
  UnadviseAll();
}

STDMETHODIMP WkConnectionPoint::QueryInterface(REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) WkConnectionPoint::AddRef() {
  return m_owner->AddRef();
}

STDMETHODIMP_(ULONG) WkConnectionPoint::Release() {
  return m_owner->Release();
}

STDMETHODIMP WkConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid)
    return E_POINTER;
  *iid = m_iid;
  return S_OK;
}

STDMETHODIMP WkConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out)
    return E_POINTER;
  *out = m_container;
  m_container->AddRef();
  return S_OK;
}

STDMETHODIMP WkConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie)
    *cookie = 0;
  if (!sink || !cookie)
    return E_POINTER;
  IUnknown* typed = nullptr;
  if (FAILED(sink->QueryInterface(m_iid, reinterpret_cast<void**>(&typed))) || !typed)
    return CONNECT_E_CANNOTCONNECT;
  m_sinks.push_back(CONNECTDATA{typed, m_next_cookie});
  *cookie = m_next_cookie++;
  return S_OK;
}

STDMETHODIMP WkConnectionPoint::Unadvise(DWORD cookie) {
  for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
    if (it->dwCookie == cookie) {
      IUnknown* sink = it->pUnk;
      m_sinks.erase(it);
      sink->Release();
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP WkConnectionPoint::EnumConnections(IEnumConnections** out) {
  return WkEnumConnections::Create(m_sinks, out);
}

bool WkConnectionPoint::has_sink(DWORD cookie) const {
  for (const CONNECTDATA& d : m_sinks)
    if (d.dwCookie == cookie)
      return true;
  return false;
}

size_t WkConnectionPoint::DropDeadSinks() {
  size_t dropped = 0;
  for (CONNECTDATA& d : dojob_snapshot()) {
    if (is_dead_sink(d.pUnk) && Unadvise(d.dwCookie) == S_OK)
      ++dropped;
    d.pUnk->Release();
  }
  return dropped;
}

void WkConnectionPoint::UnadviseAll() {
  std::vector<CONNECTDATA> sinks;
  sinks.swap(m_sinks);
  for (CONNECTDATA& d : sinks)
    d.pUnk->Release();
}

std::vector<CONNECTDATA> WkConnectionPoint::dojob_snapshot() {
  std::vector<CONNECTDATA> sinks = m_sinks;
  for (CONNECTDATA& d : sinks)
    d.pUnk->AddRef();
  return sinks;
}

STDMETHODIMP WkConnectionPointContainerImpl::EnumConnectionPoints(IEnumConnectionPoints** out) {
  std::vector<IConnectionPoint*> points(m_points.begin(), m_points.end());
  return WkEnumConnectionPoints::Create(points, out);
}

STDMETHODIMP WkConnectionPointContainerImpl::FindConnectionPoint(REFIID iid,
                                                                 IConnectionPoint** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  for (WkConnectionPoint* point : m_points) {
    if (IsEqualIID(iid, point->iid())) {
      *out = point;
      point->AddRef();
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}
