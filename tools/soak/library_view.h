// Where a finished recording must show up apart from the window: on disk, in the program's
// cache of recording details in the user's settings, and, once discarded or deleted, in the
// recycle bin. Also the recording folder setting that the soak points elsewhere and restores.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/win.h"

namespace library_view {

bool file_exists(const std::wstring& path);
std::wstring leaf_of(const std::wstring& path);
// The file name without its extension, as the history list titles it.
std::wstring title_of(const std::wstring& path);

bool cache_entry_exists(const std::wstring& leaf);
void delete_cache_entry(const std::wstring& leaf);
// -1 when the cache key does not exist.
int cache_entry_count();

// The stored recording folder; false when none is stored.
bool read_dest_dir(std::vector<BYTE>* raw);
std::wstring dest_dir();
void write_dest_dir(const std::vector<BYTE>& raw);
void write_dest_dir(const std::wstring& folder);
void delete_dest_dir();

// Where the recycle bin keeps a file of that name: the desktop trash of the host user. Empty
// when the host's home folder is not known.
std::wstring trash_path(const std::wstring& leaf);
void remove_from_trash(const std::wstring& leaf);

void remove_tree(const std::wstring& dir);

}  // namespace library_view
