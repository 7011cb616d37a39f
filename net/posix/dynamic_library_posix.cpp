#include <dlfcn.h>

#include <string>

#include "net/dynamic_library.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace qel_net {

LibraryHandle library_load(const char* name) {
  std::string exe = platform::to_ansi(platform::program_path());
  size_t slash = exe.rfind('/');
  if (slash != std::string::npos) {
    std::string local = exe.substr(0, slash + 1) + name;
    if (void* lib = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL))
      return lib;
  }
  // A bare name: the dynamic loader's own system search.
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

}  // namespace qel_net
