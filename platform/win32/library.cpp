#include "platform/library.h"

#include "platform/paths.h"
#include "platform/win32/win.h"

namespace platform {
namespace {

// "C:\...", "\\server\..." or "\..." (the current drive's root), either separator: each names
// one file. Anything else would be searched for.
bool is_full_path(const std::wstring& path) {
  auto sep = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  if (path.size() >= 3 && path[1] == L':' && sep(path[2]))
    return true;
  return !path.empty() && sep(path[0]);
}

// The loader wants backslashes and no "." or ".." steps in a full path.
std::wstring normalised(const std::wstring& path) {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
    if (n == 0)
      return {};
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(n);  // n counts the terminator when the buffer was too small
  }
}

std::wstring system_folder() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    UINT n = GetSystemDirectoryW(buf.data(), static_cast<UINT>(buf.size()));
    if (n == 0)
      return {};
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(n);
  }
}

LibraryHandle load_from(std::wstring folder, const char* name) {
  if (folder.empty())
    return nullptr;
  if (folder.back() != L'\\' && folder.back() != L'/')
    folder += L'\\';
  for (const char* p = name; *p; ++p)
    folder += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  return library_load_full_path(std::u16string(as_u16(folder.c_str()), folder.size()));
}

}  // namespace

LibraryHandle library_load_full_path(const std::u16string& path) {
  std::wstring wide(as_wide(path.c_str()), path.size());
  if (!is_full_path(wide)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::wstring full = normalised(wide);
  if (full.empty())
    return nullptr;
  // With a full path the altered search order looks in the library's own folder for its
  // dependencies, and never elsewhere for the library itself.
  return LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

LibraryHandle library_load(const char* name) {
  std::u16string own = program_folder();
  if (LibraryHandle lib = load_from(std::wstring(as_wide(own.c_str()), own.size()), name))
    return lib;
  return load_from(system_folder(), name);
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

}  // namespace platform
