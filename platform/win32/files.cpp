#include "platform/files.h"

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"

#include <winternl.h>

#include <ctime>
#include <vector>

namespace platform {

struct FileTag {
  ScopedFileHandle handle;
};

struct FindTag {
  HANDLE handle;
};

File file_open(const std::u16string& path, FileMode mode) {
  DWORD access = mode == FileMode::kRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  DWORD disposition = mode == FileMode::kCreate ? CREATE_ALWAYS : OPEN_EXISTING;
  HANDLE h = CreateFileW(as_wide(path.c_str()), access, FILE_SHARE_READ, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return nullptr;
  return new FileTag{ScopedFileHandle(h)};
}

void file_close(File file) {
  delete file;
}

static OVERLAPPED at(uint64_t offset) {
  OVERLAPPED ov = {};
  ov.Offset = static_cast<DWORD>(offset);
  ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return ov;
}

bool file_read_at(File file, uint64_t offset, void* data, uint32_t len, uint32_t* got) {
  *got = 0;
  OVERLAPPED ov = at(offset);
  DWORD n = 0;
  if (!ReadFile(file->handle.get(), data, len, &n, &ov))
    return GetLastError() == ERROR_HANDLE_EOF;
  *got = n;
  return true;
}

bool file_write_at(File file, uint64_t offset, const void* data, uint32_t len) {
  OVERLAPPED ov = at(offset);
  DWORD n = 0;
  return WriteFile(file->handle.get(), data, len, &n, &ov) && n == len;
}

bool file_size(File file, uint64_t* size) {
  LARGE_INTEGER li;
  if (!GetFileSizeEx(file->handle.get(), &li))
    return false;
  *size = static_cast<uint64_t>(li.QuadPart);
  return true;
}

bool file_truncate(File file, uint64_t size) {
  FILE_END_OF_FILE_INFO info;
  info.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  return SetFileInformationByHandle(file->handle.get(), FileEndOfFileInfo, &info, sizeof info);
}

bool file_flush(File file) {
  return FlushFileBuffers(file->handle.get()) != 0;
}

bool file_replace(const std::u16string& from, const std::u16string& to) {
  return MoveFileExW(as_wide(from.c_str()), as_wide(to.c_str()),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool file_delete(const std::u16string& path) {
  return DeleteFileW(as_wide(path.c_str())) != 0;
}

bool create_directory(const std::u16string& path) {
  return CreateDirectoryW(as_wide(path.c_str()), nullptr) != 0;
}

bool temp_file_name(const std::u16string& folder,
                    const std::u16string& prefix,
                    std::u16string* name) {
  wchar_t buf[MAX_PATH + 1] = {};
  if (!GetTempFileNameW(as_wide(folder.c_str()), as_wide(prefix.c_str()), 0, buf))
    return false;
  // Wine returns the name even when it could not create the file (a read-only folder).
  if (GetFileAttributesW(buf) == INVALID_FILE_ATTRIBUTES)
    return false;
  *name = as_u16(buf);
  return true;
}

namespace {
void take_found(const WIN32_FIND_DATAW& data, std::u16string* name, FileStamp* stamp) {
  *name = as_u16(data.cFileName);
  if (stamp) {
    stamp->size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    stamp->write_time =
        (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
    stamp->directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
}
}  // namespace

Find find_first(const std::u16string& pattern, std::u16string* name, FileStamp* stamp) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(as_wide(pattern.c_str()), &data);
  if (h == INVALID_HANDLE_VALUE)
    return nullptr;
  take_found(data, name, stamp);
  return new FindTag{h};
}

bool find_next(Find find, std::u16string* name, FileStamp* stamp) {
  WIN32_FIND_DATAW data;
  if (!FindNextFileW(find->handle, &data))
    return false;
  take_found(data, name, stamp);
  return true;
}

void find_close(Find find) {
  if (!find)
    return;
  FindClose(find->handle);
  delete find;
}

namespace {

using QueryDirectoryFile = NTSTATUS(NTAPI*)(HANDLE,
                                            HANDLE,
                                            PIO_APC_ROUTINE,
                                            void*,
                                            IO_STATUS_BLOCK*,
                                            void*,
                                            ULONG,
                                            FILE_INFORMATION_CLASS,
                                            BOOLEAN,
                                            UNICODE_STRING*,
                                            BOOLEAN);

QueryDirectoryFile query_directory_file() {
  static const auto query = reinterpret_cast<QueryDirectoryFile>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryDirectoryFile")));
  return query;
}

}  // namespace

// The system call behind FindNextFileW, asked for 64 KB of entries at a time where the search
// asks for 8 KB: every call is a round trip to the system (under Wine, to its server).
bool list_folder(
    const std::u16string& folder,
    const std::u16string& mask,
    const std::function<void(std::u16string_view name, const FileStamp& stamp)>& on_entry) {
  QueryDirectoryFile query = query_directory_file();
  ScopedFileHandle dir(CreateFileW(as_wide(folder.c_str()), FILE_LIST_DIRECTORY,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!query || !dir)
    return false;
  UNICODE_STRING name_mask;
  name_mask.Length = name_mask.MaximumLength = static_cast<USHORT>(mask.size() * sizeof(WCHAR));
  name_mask.Buffer = const_cast<PWSTR>(as_wide(mask.c_str()));
  // Entries are 8-byte aligned.
  std::vector<uint64_t> batch(64 * 1024 / sizeof(uint64_t));
  ULONG batch_bytes = static_cast<ULONG>(batch.size() * sizeof(uint64_t));
  bool found = false;
  for (bool first = true;; first = false) {
    IO_STATUS_BLOCK io = {};
    // Negative: an error, or no more entries.
    if (query(dir.get(), nullptr, nullptr, nullptr, &io, batch.data(), batch_bytes,
              FileFullDirectoryInformation, FALSE, first ? &name_mask : nullptr, first) < 0 ||
        io.Information == 0)
      return found;
    const auto* at = reinterpret_cast<const uint8_t*>(batch.data());
    for (;;) {
      const auto* entry = reinterpret_cast<const FILE_FULL_DIR_INFORMATION*>(at);
      FileStamp stamp;
      stamp.size = static_cast<uint64_t>(entry->EndOfFile.QuadPart);
      stamp.write_time = static_cast<uint64_t>(entry->LastWriteTime.QuadPart);
      stamp.directory = (entry->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      on_entry(std::u16string_view(reinterpret_cast<const char16_t*>(entry->FileName),
                                   entry->FileNameLength / sizeof(WCHAR)),
               stamp);
      found = true;
      if (!entry->NextEntryOffset)
        break;
      at += entry->NextEntryOffset;
    }
  }
}

}  // namespace platform
