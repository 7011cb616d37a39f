#include "tools/soak/remote_list_view.h"

namespace {
constexpr DWORD kAnswerMs = 5000;
}  // namespace

RemoteListView::RemoteListView(HWND list) : list_(list) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  process_.reset(
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
  if (process_)
    remote_ = static_cast<char*>(VirtualAllocEx(process_.get(), nullptr,
                                                sizeof(LVITEMW) + kTextChars * sizeof(wchar_t),
                                                MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

RemoteListView::~RemoteListView() {
  if (remote_)
    VirtualFreeEx(process_.get(), remote_, 0, MEM_RELEASE);
}

int RemoteListView::Rows() const {
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list_, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &count))
    return -1;
  return static_cast<int>(count);
}

bool RemoteListView::Send(UINT msg, WPARAM wparam, const LVITEMW& item, LRESULT* result) const {
  if (!remote_ || !WriteProcessMemory(process_.get(), remote_, &item, sizeof item, nullptr))
    return false;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(list_, msg, wparam, reinterpret_cast<LPARAM>(remote_), SMTO_ABORTIFHUNG,
                           kAnswerMs, &answer))
    return false;
  if (result)
    *result = static_cast<LRESULT>(answer);
  return true;
}

std::wstring RemoteListView::Cell(int row, int column) const {
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(remote_ + sizeof(LVITEMW));
  item.cchTextMax = kTextChars;
  LRESULT length = 0;
  if (!Send(LVM_GETITEMTEXTW, row, item, &length) || length <= 0)
    return {};
  std::wstring text(static_cast<size_t>(length), L'\0');
  if (!ReadProcessMemory(process_.get(), item.pszText, text.data(), text.size() * sizeof(wchar_t),
                         nullptr))
    return {};
  return text;
}

bool RemoteListView::SelectOnly(int row) const {
  LVITEMW item = {};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  LRESULT done = 0;
  if (!Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), item, &done))
    return false;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  return Send(LVM_SETITEMSTATE, row, item, &done) && done;
}

int RemoteListView::Image(int row, int column) const {
  LVITEMW item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iSubItem = column;
  item.iImage = -1;
  LRESULT done = 0;
  if (!Send(LVM_GETITEMW, 0, item, &done) || !done ||
      !ReadProcessMemory(process_.get(), remote_, &item, sizeof item, nullptr))
    return -1;
  return item.iImage;
}

bool RemoteListView::RowRect(int row, RECT* rect) const {
  // LVM_GETITEMRECT reads the wanted part from the rectangle's left field.
  RECT in = {LVIR_BOUNDS, 0, 0, 0};
  DWORD_PTR done = 0;
  if (!remote_ || !WriteProcessMemory(process_.get(), remote_, &in, sizeof in, nullptr) ||
      !SendMessageTimeoutW(list_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote_),
                           SMTO_ABORTIFHUNG, kAnswerMs, &done) ||
      !done)
    return false;
  return ReadProcessMemory(process_.get(), remote_, rect, sizeof *rect, nullptr) != 0;
}
