#include "tools/soak/process_probe.h"

#include <string>
#include <vector>

#include <psapi.h>
#include <winternl.h>

#include "platform/win32/scoped_handle.h"

namespace {

// A function of ntdll that the SDK's import library does not offer.
template <class Fn>
Fn ntdll(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

// One of the system's lists (processes, handles) into *buf, grown until it fits.
bool query_system(ULONG kind, std::vector<char>* buf) {
  using QuerySystemInformation = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
  auto query = ntdll<QuerySystemInformation>("NtQuerySystemInformation");
  if (!query)
    return false;
  buf->assign(1 << 20, 0);
  ULONG len = 0;
  NTSTATUS status = 0;
  for (int i = 0; i < 5 && (status = query(kind, buf->data(), ULONG(buf->size()), &len)) ==
                                static_cast<NTSTATUS>(0xC0000004L);
       ++i)
    buf->resize(buf->size() * 4);
  return status == 0;
}

struct WindowCount {
  DWORD pid;
  int count;
};

BOOL CALLBACK count_child(HWND wnd, LPARAM data) {
  ++reinterpret_cast<WindowCount*>(data)->count;
  return TRUE;
}

BOOL CALLBACK count_top(HWND wnd, LPARAM data) {
  auto* c = reinterpret_cast<WindowCount*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid == c->pid) {
    ++c->count;
    EnumChildWindows(wnd, &count_child, data);
  }
  return TRUE;
}

// Top-level, child and message-only windows of the process.
int window_count(DWORD pid) {
  WindowCount c = {pid, 0};
  EnumWindows(&count_top, reinterpret_cast<LPARAM>(&c));
  HWND wnd = nullptr;
  while ((wnd = FindWindowExW(HWND_MESSAGE, wnd, nullptr, nullptr))) {
    DWORD owner = 0;
    GetWindowThreadProcessId(wnd, &owner);
    if (owner == pid)
      ++c.count;
  }
  return c.count;
}

struct Census {
  DWORD pid;
  std::map<std::string, int> windows;
};

std::string describe(HWND wnd, bool top) {
  char cls[64] = {}, title[64] = {};
  GetClassNameA(wnd, cls, sizeof cls);
  if (top)
    InternalGetWindowText(wnd, reinterpret_cast<LPWSTR>(title), sizeof title / 2);
  std::string text = cls;
  if (top) {
    std::wstring w(reinterpret_cast<wchar_t*>(title));
    text += " '" + std::string(w.begin(), w.end()) + "'";
  }
  return text + (IsWindowVisible(wnd) ? "" : " (hidden)");
}

BOOL CALLBACK census_child(HWND wnd, LPARAM data) {
  ++reinterpret_cast<Census*>(data)->windows[describe(wnd, false)];
  return TRUE;
}

BOOL CALLBACK census_top(HWND wnd, LPARAM data) {
  auto* c = reinterpret_cast<Census*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  if (pid == c->pid) {
    ++c->windows[describe(wnd, true)];
    EnumChildWindows(wnd, &census_child, data);
  }
  return TRUE;
}

SoakFigure figure(const char* name, SoakBudget budget, double value, const std::string& why_zero) {
  SoakFigure f{name, budget, value, ""};
  if (value == 0 && !why_zero.empty())
    f.unavailable = why_zero;
  return f;
}

// One entry of the GDI handle table a process's environment block points to.
struct GdiTableEntry {
  ULONG64 object;
  USHORT owner_pid;
  USHORT owner_count;
  UCHAR ext_type;  // top bit: a stock object
  UCHAR generation;
  UCHAR type;  // 0: a free entry
  UCHAR flags;
  ULONG64 user;
};
constexpr size_t kGdiTableEntries = 0x10000;
constexpr size_t kPebGdiTableOffset = 0xF8;

std::string gdi_type_name(UCHAR type) {
  switch (type & 0x1f) {
    case 0x01:
      return "DC";
    case 0x04:
      return "region";
    case 0x05:  // a surface, as Windows keeps bitmaps
    case 0x09:  // Wine's own bitmap type
      return "bitmap";
    case 0x08:
      return "palette";
    case 0x0a:
      return "font";
    case 0x10:
      return "brush or pen";
    default:
      return "type " + std::to_string(type);
  }
}

// The process's own (not stock) GDI objects by type, read from its handle table where
// GetGuiResources is not implemented: Wine keeps one table per process, filled as Windows
// fills its shared one, with the owner left 0. False with *why when the table is not found.
bool gdi_table_census(HANDLE process, DWORD pid, std::map<std::string, int>* kinds,
                      std::string* why) {
  using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  auto query = ntdll<QueryProcess>("NtQueryInformationProcess");
  PROCESS_BASIC_INFORMATION info = {};
  ULONG len = 0;
  if (!query || query(process, ProcessBasicInformation, &info, sizeof info, &len) != 0) {
    *why = "the process's environment block cannot be found";
    return false;
  }
  ULONG64 table = 0;
  SIZE_T got = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<char*>(info.PebBaseAddress) + kPebGdiTableOffset,
                         &table, sizeof table, &got) ||
      !table) {
    *why = "the process has no GDI handle table";
    return false;
  }
  std::vector<GdiTableEntry> entries(kGdiTableEntries);
  if (!ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(),
                         entries.size() * sizeof(GdiTableEntry), &got)) {
    *why = "the GDI handle table cannot be read, error " + std::to_string(GetLastError());
    return false;
  }
  for (size_t i = 0; i < got / sizeof(GdiTableEntry); ++i) {
    const GdiTableEntry& e = entries[i];
    if (e.type && !(e.ext_type & 0x80) && (e.owner_pid == 0 || e.owner_pid == (pid & 0xFFFF)))
      ++(*kinds)[gdi_type_name(e.type)];
  }
  return true;
}

int gdi_table_count(HANDLE process, DWORD pid, std::string* why) {
  std::map<std::string, int> kinds;
  if (!gdi_table_census(process, pid, &kinds, why))
    return -1;
  int n = 0;
  for (const auto& [name, count] : kinds)
    n += count;
  return n;
}

SoakFigure gui_objects(HANDLE process, DWORD pid, DWORD kind, const char* name) {
  SetLastError(0);
  DWORD n = GetGuiResources(process, kind);
  DWORD err = GetLastError();
  if (n > 0)
    return {name, SoakBudget::kNoGrowth, double(n), ""};
  std::string why = err == ERROR_CALL_NOT_IMPLEMENTED
                        ? "GetGuiResources is not implemented here (error 120)"
                        : "GetGuiResources reports 0, error " + std::to_string(err);
  if (kind == GR_GDIOBJECTS) {
    std::string no_table;
    int counted = gdi_table_count(process, pid, &no_table);
    if (counted > 0)
      return {std::string(name) + " (from the handle table)", SoakBudget::kNoGrowth,
              double(counted), ""};
    why += "; " + (counted == 0 ? std::string("the handle table holds none") : no_table);
  } else {
    // Wine keeps menus, icons and cursors in its server, which gives no count per process;
    // the windows, the other USER objects that could pile up, are counted below.
    why += "; no other count of them exists here";
  }
  return {name, SoakBudget::kNoGrowth, 0, why};
}

struct HandleEntry {
  PVOID object;
  ULONG_PTR pid;
  ULONG_PTR handle;
  ULONG access;
  USHORT creator_back_trace_index;
  USHORT type_index;
  ULONG attributes;
  ULONG reserved;
};

// The handles the process has open, from the system's list of all handles; false where the
// list is not given. Wine's GetProcessHandleCount answers 0 for other processes, and the count
// in its process list is the size of the handle table, which doubles at a peak and never
// quite shrinks back.
bool open_handles(DWORD pid, std::vector<HandleEntry>* out) {
  constexpr ULONG kSystemExtendedHandleInformation = 64;
  std::vector<char> buf;
  if (!query_system(kSystemExtendedHandleInformation, &buf))
    return false;
  ULONG_PTR n = *reinterpret_cast<ULONG_PTR*>(buf.data());
  const auto* entries = reinterpret_cast<const HandleEntry*>(buf.data() + 2 * sizeof(ULONG_PTR));
  out->clear();
  for (ULONG_PTR i = 0; i < n && (i + 1) * sizeof(HandleEntry) + 2 * sizeof(ULONG_PTR) <= buf.size();
       ++i)
    if (entries[i].pid == pid)
      out->push_back(entries[i]);
  return true;
}

// The type name of another process's handle, read from a copy of it.
std::string handle_type_name(HANDLE process, const HandleEntry& e) {
  using QueryObject = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  auto query = ntdll<QueryObject>("NtQueryObject");
  std::string name = "type " + std::to_string(e.type_index);
  HANDLE copy = nullptr;
  if (!query || !DuplicateHandle(process, reinterpret_cast<HANDLE>(e.handle), GetCurrentProcess(),
                                 &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
    return name;
  platform::ScopedKernelHandle owner(copy);
  constexpr ULONG kObjectTypeInformation = 2;
  std::vector<char> buf(4096);
  ULONG len = 0;
  if (query(copy, kObjectTypeInformation, buf.data(), ULONG(buf.size()), &len) != 0)
    return name;
  const auto* type = reinterpret_cast<const UNICODE_STRING*>(buf.data());
  std::wstring w(type->Buffer, type->Length / sizeof(wchar_t));
  return std::string(w.begin(), w.end());
}

// The size of its handle table, where the list of all handles is not given.
DWORD listed_handle_count(DWORD pid) {
  std::vector<char> buf;
  if (!query_system(SystemProcessInformation, &buf))
    return 0;
  for (size_t at = 0; at < buf.size();) {
    auto* p = reinterpret_cast<SYSTEM_PROCESS_INFORMATION*>(buf.data() + at);
    if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(p->UniqueProcessId)) == pid)
      return p->HandleCount;
    if (!p->NextEntryOffset)
      break;
    at += p->NextEntryOffset;
  }
  return 0;
}

}  // namespace

std::vector<std::string> assertion_reports(DWORD pid) {
  std::vector<std::string> texts;
  HWND box = nullptr;
  while ((box = FindWindowExW(nullptr, box, L"#32770", L"Error"))) {
    DWORD owner = 0;
    GetWindowThreadProcessId(box, &owner);
    if (owner != pid)
      continue;
    std::string text;
    HWND child = nullptr;
    while ((child = FindWindowExW(box, child, L"Static", nullptr))) {
      wchar_t buf[1024] = {};
      DWORD_PTR n = 0;
      SendMessageTimeoutW(child, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG,
                          2000, &n);
      std::wstring w(buf);
      text += (text.empty() || w.empty() ? "" : " / ") + std::string(w.begin(), w.end());
    }
    texts.push_back(text);
  }
  return texts;
}

std::map<std::string, int> window_census(DWORD pid) {
  Census c{pid, {}};
  EnumWindows(&census_top, reinterpret_cast<LPARAM>(&c));
  return c.windows;
}

std::map<std::string, int> gdi_census(DWORD pid) {
  std::map<std::string, int> kinds;
  std::string why;
  platform::ScopedKernelHandle process(
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (process)
    gdi_table_census(process.get(), pid, &kinds, &why);
  return kinds;
}

std::map<std::string, int> handle_census(DWORD pid) {
  std::map<std::string, int> kinds;
  std::vector<HandleEntry> open;
  platform::ScopedKernelHandle process(OpenProcess(PROCESS_DUP_HANDLE, FALSE, pid));
  if (!process || !open_handles(pid, &open))
    return kinds;
  std::map<USHORT, std::string> names;
  for (const HandleEntry& e : open) {
    auto it = names.find(e.type_index);
    if (it == names.end())
      it = names.emplace(e.type_index, handle_type_name(process.get(), e)).first;
    ++kinds[it->second];
  }
  return kinds;
}

SoakSample probe_process(DWORD pid) {
  SoakSample s;
  platform::ScopedKernelHandle owner(
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  HANDLE process = owner.get();
  if (!process) {
    std::string why = "the process cannot be opened, error " + std::to_string(GetLastError());
    for (const char* name : {kSoakPrivateBytes, "working set", "handles"})
      s.push_back({name, SoakBudget::kInfo, 0, why});
    return s;
  }
  PROCESS_MEMORY_COUNTERS_EX mem = {};
  mem.cb = sizeof mem;
  std::string no_mem;
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem), sizeof mem))
    no_mem = "GetProcessMemoryInfo failed, error " + std::to_string(GetLastError());
  // The commit charge: PrivateUsage where the system fills it in, else PagefileUsage, which
  // Windows keeps equal to it and Wine fills from the host's anonymous memory.
  double private_bytes = double(mem.PrivateUsage ? mem.PrivateUsage : mem.PagefileUsage);
  s.push_back(figure(kSoakPrivateBytes, SoakBudget::kInfo, private_bytes,
                     no_mem.empty() ? "GetProcessMemoryInfo reports no commit charge" : no_mem));
  s.push_back(figure("working set", SoakBudget::kInfo, double(mem.WorkingSetSize),
                     no_mem.empty() ? "GetProcessMemoryInfo reports no working set" : no_mem));
  DWORD handles = 0;
  std::vector<HandleEntry> open;
  if (!GetProcessHandleCount(process, &handles) || handles == 0)
    handles = open_handles(pid, &open) ? DWORD(open.size()) : listed_handle_count(pid);
  s.push_back(figure("handles", SoakBudget::kNoGrowth, handles,
                     "neither GetProcessHandleCount nor the system's lists give a count"));
  s.push_back(gui_objects(process, pid, GR_GDIOBJECTS, "GDI objects"));
  s.push_back(gui_objects(process, pid, GR_USEROBJECTS, "USER objects"));
  s.push_back(figure("windows", SoakBudget::kNoGrowth, window_count(pid), ""));
  return s;
}
