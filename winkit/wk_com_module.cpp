#include "winkit/wk_com_module.h"

namespace {
WkComModule* g_module = nullptr;
}  // namespace

WkComModule::WkComModule() {
  if (!g_module)
    g_module = this;
}

WkComModule::~WkComModule() {
  RevokeClassObjects();
  if (g_module == this)
    g_module = nullptr;
}

WkComModule* WkComModule::Current() {
  return g_module;
}

void WkComModule::AddObject(const CLSID& clsid, FactoryMaker make_factory) {
  m_objects.push_back(Entry{clsid, make_factory, nullptr, 0});
}

HRESULT WkComModule::RegisterClassObjects(DWORD context, DWORD flags) {
  for (Entry& e : m_objects) {
    if (e.factory)
      continue;
    HRESULT hr = e.make_factory(&e.factory);
    if (SUCCEEDED(hr))
      hr = CoRegisterClassObject(e.clsid, e.factory, context, flags, &e.cookie);
    if (FAILED(hr)) {
      if (e.factory)
        e.factory->Release();
      e.factory = nullptr;
      e.cookie = 0;
      RevokeClassObjects();
      return hr;
    }
  }
  return S_OK;
}

void WkComModule::RevokeClassObjects() {
  for (Entry& e : m_objects) {
    if (!e.factory)
      continue;
    CoRevokeClassObject(e.cookie);
    IClassFactory* factory = e.factory;
    e.factory = nullptr;
    e.cookie = 0;
    factory->Release();
  }
}

LONG WkComModule::Lock() {
  return InterlockedIncrement(&m_locks);
}

LONG WkComModule::Unlock() {
  return InterlockedDecrement(&m_locks);
}
