#include "platform/library.h"

#include <dlfcn.h>

#include "platform/paths.h"
#include "platform/text.h"

namespace platform {

LibraryHandle library_load_full_path(const std::u16string& path) {
  if (path.empty() || path[0] != u'/')
    return nullptr;
  return dlopen(to_ansi(path).c_str(), RTLD_NOW | RTLD_LOCAL);
}

LibraryHandle library_load(const char* name) {
  std::u16string own = program_folder();
  if (!own.empty()) {
    if (LibraryHandle lib = library_load_full_path(own + from_ansi(name)))
      return lib;
  }
  // A bare name: the dynamic loader's own search of the system's folders.
  return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

void* library_symbol(LibraryHandle lib, const char* name) {
  return lib ? dlsym(lib, name) : nullptr;
}

void library_free(LibraryHandle lib) {
  if (lib)
    dlclose(lib);
}

bool library_is_loaded(const char* name) {
  void* lib = dlopen(name, RTLD_NOW | RTLD_NOLOAD);
  if (!lib)
    return false;
  dlclose(lib);
  return true;
}

}  // namespace platform
