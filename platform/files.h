// File operations of the platform seam. Paths are UTF-16 with backslash separators; the
// posix build maps them to '/' so the same core code runs natively. Each function is one
// OS operation and reports success as true.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

struct FileTag;
using File = FileTag*;

enum class FileMode {
  kRead,       // existing file, read only, others may read
  kReadWrite,  // existing file, read and write, others may read
  kCreate,     // new file (replacing any), read and write
};

// CreateFileW; null on failure.
File file_open(const std::u16string& path, FileMode mode);
void file_close(File file);
// Positioned read; *got holds the count read (short at end of file).
bool file_read_at(File file, uint64_t offset, void* data, uint32_t len, uint32_t* got);
// Positioned write of all len bytes.
bool file_write_at(File file, uint64_t offset, const void* data, uint32_t len);
bool file_size(File file, uint64_t* size);
// Sets the end of file (grows sparse or shrinks).
bool file_truncate(File file, uint64_t size);
// FlushFileBuffers: the data written so far reaches the disk.
bool file_flush(File file);

// MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
bool file_replace(const std::u16string& from, const std::u16string& to);
bool file_delete(const std::u16string& path);
// CreateDirectoryW; false when it exists already.
bool create_directory(const std::u16string& path);
// GetTempFileNameW(folder, prefix, 0): creates a new empty file with a unique name.
bool temp_file_name(const std::u16string& folder,
                    const std::u16string& prefix,
                    std::u16string* name);

// FindFirstFileW / FindNextFileW / FindClose over a pattern such as "C:\\dir\\*.avi".
struct FindTag;
using Find = FindTag*;
// What the listing tells of a file's content (it changed when size or time differs; the
// time's unit is the system's own) and whether the name is a folder's.
struct FileStamp {
  uint64_t size = 0;
  uint64_t write_time = 0;
  bool directory = false;
  bool operator==(const FileStamp&) const = default;
};
// Null when nothing matches or the folder cannot be listed; else *name is the first match,
// and *stamp, when asked for, its stamp.
Find find_first(const std::u16string& pattern, std::u16string* name, FileStamp* stamp = nullptr);
bool find_next(Find find, std::u16string* name, FileStamp* stamp = nullptr);
void find_close(Find find);
// What find_first and find_next give for "<folder>\\<mask>", passed to on_entry, where the mask
// is literal characters and '*' only; false when the folder cannot be listed or nothing
// matches. A folder of thousands of names is read in a few large batches.
bool list_folder(
    const std::u16string& folder,
    const std::u16string& mask,
    const std::function<void(std::u16string_view name, const FileStamp& stamp)>& on_entry);

}  // namespace platform
