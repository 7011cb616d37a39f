#include "app/qel_com_ps.h"

#include <string>

#include "platform/library.h"
#include "platform/paths.h"

extern "C" HRESULT WINAPI qel_ps_DllGetClassObject(REFCLSID clsid, REFIID iid, void** out);

namespace {

const IID* const kInterfaces[] = {&IID_IQelApp, &IID_IQelUI, &IID_IQelAppEvents, &IID_IQelUIEvents};

std::u16string ps_dll_path() {
  std::u16string folder = platform::program_folder();
  return folder.empty() ? folder : folder + u"quorvantine_msn_ps.dll";
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
  std::u16string path = ps_dll_path();
  if (path.empty())
    return E_FAIL;
  auto dll = static_cast<HMODULE>(platform::library_load_full_path(path));
  if (!dll)
    return HRESULT_FROM_WIN32(GetLastError());
  using Entry = HRESULT(WINAPI*)();
  auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(
      GetProcAddress(dll, _register ? "DllRegisterServer" : "DllUnregisterServer")));
  HRESULT hr = entry ? entry() : E_NOTIMPL;
  FreeLibrary(dll);
  return hr;
}
