// Loading shared libraries at run time, from places the program trusts only: never the current
// directory or a search path, so that a library planted there is not picked up.
#pragma once

#include <string>

namespace platform {

using LibraryHandle = void*;

// The library at this full path and nowhere else; the library's own dependencies are looked
// for beside it first. Null for a relative path or when it cannot be loaded.
LibraryHandle library_load_full_path(const std::u16string& path);
// A library by file name from the program's own folder, else from the system's.
LibraryHandle library_load(const char* name);
void* library_symbol(LibraryHandle lib, const char* name);
void library_free(LibraryHandle lib);
// Whether a library of that file name is loaded in the process now.
bool library_is_loaded(const char* name);

}  // namespace platform
