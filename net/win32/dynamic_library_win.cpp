#include <string>

#include "net/dynamic_library.h"
#include "platform/win32/win.h"

namespace qel_net {
namespace {

std::wstring Widen(const char* name) {
  std::wstring wide;
  for (const char* p = name; *p; ++p)
    wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  return wide;
}

HMODULE LoadFrom(std::wstring folder, const std::wstring& name) {
  if (folder.empty())
    return nullptr;
  if (folder.back() != L'\\')
    folder += L'\\';
  // A full path: the loader looks nowhere else, and finds the library's own dependencies
  // beside it first.
  return LoadLibraryExW((folder + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

LibraryHandle library_load(const char* name) {
  std::wstring wide = Widen(name);
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    std::wstring exe(path, n);
    size_t slash = exe.find_last_of(L"\\/");
    if (slash != std::wstring::npos) {
      if (HMODULE lib = LoadFrom(exe.substr(0, slash), wide))
        return lib;
    }
  }
  n = GetSystemDirectoryW(path, MAX_PATH);
  if (n > 0 && n < MAX_PATH)
    return LoadFrom(std::wstring(path, n), wide);
  return nullptr;
}

void* library_symbol(LibraryHandle lib, const char* name) {
  return lib ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name)) : nullptr;
}

void library_free(LibraryHandle lib) {
  if (lib)
    FreeLibrary(static_cast<HMODULE>(lib));
}

bool library_is_loaded(const char* name) {
  return GetModuleHandleA(name) != nullptr;
}

}  // namespace qel_net
