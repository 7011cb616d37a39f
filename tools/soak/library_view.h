// Where a finished recording must show up apart from the window: on disk, in the program's
// cache of recording details in the user's settings, and, once discarded or deleted, in the
// recycle bin. Also the recording folder setting that the soak points elsewhere and restores.
#pragma once

#include <map>
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

// The recycle bin is the desktop trash of the host user, which other Wine prefixes of the
// same user share: an entry is ours when its recorded original path is the file's own.
// Original Windows path -> the entry's name in the trash (names clash between prefixes, so
// the trash may have renamed it). Empty when the host's home is not known.
std::map<std::wstring, std::wstring> trash_entries();
bool trash_known();
// The original path as the trash records it: the Windows path seen from the host.
std::wstring host_path(const std::wstring& windows_path);
void remove_trash_entry(const std::wstring& name);

void remove_tree(const std::wstring& dir);

}  // namespace library_view
