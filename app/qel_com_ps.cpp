#include "app/qel_com_ps.h"

#include <string>

extern "C" HRESULT WINAPI qel_ps_DllGetClassObject(REFCLSID clsid, REFIID iid, void** out);

namespace {

const IID* const kInterfaces[] = {&IID_IQelApp, &IID_IQelUI, &IID_IQelAppEvents, &IID_IQelUIEvents};

std::wstring ps_dll_path() {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (n == 0 || n >= MAX_PATH)
    return {};
  std::wstring path(self, n);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + L"quorvantine_msn_ps.dll";
}

}  // namespace

HRESULT qel_register_ps_in_process() {
  IUnknown* factory = nullptr;
  HRESULT hr = qel_ps_DllGetClassObject(CLSID_PSFactoryBuffer, IID_IUnknown,
                                        reinterpret_cast<void**>(&factory));
  if (FAILED(hr))
    return hr;
  // The registration keeps the factory for the life of the process.
  DWORD cookie = 0;
  hr = CoRegisterClassObject(CLSID_PSFactoryBuffer, factory, CLSCTX_INPROC_SERVER,
                             REGCLS_MULTIPLEUSE, &cookie);
  factory->Release();
  for (const IID* iid : kInterfaces) {
    if (SUCCEEDED(hr))
      hr = CoRegisterPSClsid(*iid, CLSID_PSFactoryBuffer);
  }
  return hr;
}

HRESULT qel_register_ps_dll(bool _register) {
  std::wstring path = ps_dll_path();
  if (path.empty())
    return E_FAIL;
  // Loaded by full path only: never from the current directory or PATH.
  HMODULE dll = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!dll)
    return HRESULT_FROM_WIN32(GetLastError());
  using Entry = HRESULT(WINAPI*)();
  auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(
      GetProcAddress(dll, _register ? "DllRegisterServer" : "DllUnregisterServer")));
  HRESULT hr = entry ? entry() : E_NOTIMPL;
  FreeLibrary(dll);
  return hr;
}
