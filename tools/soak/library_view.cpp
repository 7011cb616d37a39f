#include "tools/soak/library_view.h"

#include <cstdint>
#include <cstdlib>
#include <cwctype>

#include "app/testing/program_runner.h"
#include "library/qel_app_constants.h"
#include "platform/win32/scoped_handle.h"
#include "qel_lib/base64.h"

namespace library_view {

namespace {

constexpr wchar_t kDestDir[] = L"dest_dir";

std::wstring cache_key_path() {
  std::string product = g_qel_settings_path;
  return std::wstring(product.begin(), product.end()) + L"\\avi_file_info_cache";
}

// The entry's name: Base64 of the leaf as UTF-16 little-endian bytes.
std::wstring cache_name(const std::wstring& leaf) {
  std::vector<uint8_t> bytes;
  for (wchar_t c : leaf) {
    bytes.push_back(static_cast<uint8_t>(c & 0xff));
    bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xff));
  }
  std::string text(bytes.size() * 2 + 8, '\0');
  size_t len = 0;
  if (!base64_encode(bytes.data(), bytes.size(), text.data(), text.size(), &len))
    return {};
  return std::wstring(text.begin(), text.begin() + static_cast<ptrdiff_t>(len));
}

platform::ScopedRegKey open_cache(REGSAM access) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, cache_key_path().c_str(), 0, nullptr, 0, access, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return platform::ScopedRegKey();
  return platform::ScopedRegKey(key);
}

// Wine passes the host's home on as WINEHOMEDIR (\??\Z:\home\user) when HOME is not kept.
std::wstring trash_dir(const wchar_t* sub) {
  wchar_t buf[MAX_PATH] = {};
  std::wstring home;
  if (GetEnvironmentVariableW(L"HOME", buf, MAX_PATH) && buf[0] == L'/')
    home = std::wstring(L"Z:") + buf;
  else if (GetEnvironmentVariableW(L"WINEHOMEDIR", buf, MAX_PATH) && !wcsncmp(buf, L"\\??\\", 4))
    home = buf + 4;
  if (home.empty())
    return {};
  std::wstring dir = home + L"/.local/share/Trash/" + sub + L"/";
  for (wchar_t& c : dir)
    if (c == L'/')
      c = L'\\';
  return dir;
}

}  // namespace

bool file_exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring leaf_of(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring title_of(const std::wstring& path) {
  std::wstring leaf = leaf_of(path);
  size_t dot = leaf.rfind(L'.');
  return dot == std::wstring::npos ? leaf : leaf.substr(0, dot);
}

bool cache_entry_exists(const std::wstring& leaf) {
  HKEY key = nullptr;
  std::wstring path = cache_key_path() + L"\\" + cache_name(leaf);
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  platform::ScopedRegKey opened(key);
  return true;
}

void delete_cache_entry(const std::wstring& leaf) {
  RegDeleteTreeW(HKEY_CURRENT_USER, (cache_key_path() + L"\\" + cache_name(leaf)).c_str());
}

int cache_entry_count() {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, cache_key_path().c_str(), 0, KEY_READ, &opened) !=
      ERROR_SUCCESS)
    return -1;
  platform::ScopedRegKey key(opened);
  DWORD subkeys = 0;
  LONG rc = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr);
  return rc == ERROR_SUCCESS ? static_cast<int>(subkeys) : -1;
}

bool read_dest_dir(std::vector<BYTE>* raw) {
  platform::ScopedRegKey key = open_cache(KEY_READ);
  if (!key)
    return false;
  DWORD size = 0;
  bool found =
      RegQueryValueExW(key.get(), kDestDir, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
  raw->assign(size, 0);
  if (found && size)
    found = RegQueryValueExW(key.get(), kDestDir, nullptr, nullptr, raw->data(), &size) ==
            ERROR_SUCCESS;
  return found;
}

std::wstring dest_dir() {
  std::vector<BYTE> raw;
  if (!read_dest_dir(&raw))
    return {};
  return std::wstring(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / sizeof(wchar_t));
}

void write_dest_dir(const std::vector<BYTE>& raw) {
  if (platform::ScopedRegKey key = open_cache(KEY_WRITE))
    RegSetValueExW(key.get(), kDestDir, 0, REG_BINARY, raw.data(), static_cast<DWORD>(raw.size()));
}

void write_dest_dir(const std::wstring& folder) {
  const BYTE* bytes = reinterpret_cast<const BYTE*>(folder.data());
  write_dest_dir(std::vector<BYTE>(bytes, bytes + folder.size() * sizeof(wchar_t)));
}

void delete_dest_dir() {
  if (platform::ScopedRegKey key = open_cache(KEY_WRITE))
    RegDeleteValueW(key.get(), kDestDir);
}

namespace {

// "Path=" of a trash info file, with its %XX escapes undone.
std::wstring recorded_path(const std::string& info) {
  size_t at = info.find("\nPath=");
  if (at == std::string::npos)
    return {};
  at += 6;
  std::string raw = info.substr(at, info.find_first_of("\r\n", at) - at), text;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '%' && i + 2 < raw.size()) {
      text += static_cast<char>(std::strtol(raw.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      text += raw[i];
    }
  }
  int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0);
  std::wstring wide(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), int(text.size()), wide.data(), n);
  return wide;
}

}  // namespace

bool trash_known() {
  return !trash_dir(L"info").empty();
}

std::wstring host_path(const std::wstring& windows_path) {
  wchar_t prefix[MAX_PATH] = {};
  if (windows_path.size() < 3 || !GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH))
    return {};
  std::wstring path = std::wstring(prefix) + L"/dosdevices/" +
                      static_cast<wchar_t>(towlower(windows_path[0])) + windows_path.substr(1);
  for (wchar_t& c : path)
    if (c == L'\\')
      c = L'/';
  return path;
}

std::map<std::wstring, std::wstring> trash_entries() {
  std::map<std::wstring, std::wstring> entries;
  std::wstring info = trash_dir(L"info");
  WIN32_FIND_DATAW data;
  HANDLE find =
      info.empty() ? INVALID_HANDLE_VALUE : FindFirstFileW((info + L"*.trashinfo").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return entries;
  do {
    std::wstring name = data.cFileName;
    std::wstring original = recorded_path(qel_testing::read_shared_file(info + name));
    if (!original.empty())
      entries[original] = name.substr(0, name.size() - 10);  // without ".trashinfo"
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return entries;
}

void remove_trash_entry(const std::wstring& name) {
  std::wstring files = trash_dir(L"files"), info = trash_dir(L"info");
  if (files.empty())
    return;
  DeleteFileW((files + name).c_str());
  DeleteFileW((info + name + L".trashinfo").c_str());
}

void remove_tree(const std::wstring& dir) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..")
        continue;
      std::wstring path = dir + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        remove_tree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(dir.c_str());
}

}  // namespace library_view
