// Loading a shared library at run time from trusted places only: the program's own folder,
// then the system's. Never the current directory or a search path, so that a library planted
// there is not picked up.
#pragma once

namespace qel_net {

using LibraryHandle = void*;

// Null when the library is in neither place or cannot be loaded.
LibraryHandle library_load(const char* name);
void* library_symbol(LibraryHandle lib, const char* name);
void library_free(LibraryHandle lib);
// Whether a library of that file name is loaded in the process now.
bool library_is_loaded(const char* name);

}  // namespace qel_net
