#include "ui/c_history_combo.h"

#include "ui/core/qel_history_list.h"
#include "ui/qel_profile_store.h"

namespace {

bool path_exists(const std::u16string& path) {
  return GetFileAttributesW(as_wide(path.c_str())) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool CHistoryCombo::Create(HWND parent, const RECT& rect, UINT id, HFONT font) {
  // The drop height is part of a combo's window height.
  m_hWnd = CreateWindowExW(
      0, L"COMBOBOX", L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, rect.left,
      rect.top, rect.right - rect.left, 200, parent,
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (m_hWnd && font)
    SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return m_hWnd != nullptr;
}

void CHistoryCombo::LoadHistory(const char* section,
                                const char* key_prefix,
                                bool restore_last,
                                const char* last_key) {
  m_section = section ? section : "";
  m_key_prefix = key_prefix ? key_prefix : "";
  m_last_key = qel_history_last_key(last_key ? last_key : "", m_key_prefix);
  if (!m_hWnd)
    return;
  SendMessageW(m_hWnd, CB_RESETCONTENT, 0, 0);
  auto read = [this](int n) {
    return qel_profile_get_string(m_section.c_str(), qel_history_item_key(m_key_prefix, n));
  };
  qel_history_exists_fn exists;
  if (m_only_existing)
    exists = path_exists;
  for (const std::u16string& item : qel_history_load(read, m_max_items, exists))
    SendMessageW(m_hWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  if (!restore_last)
    return;
  qel_history_value last = qel_profile_get_string(m_section.c_str(), m_last_key);
  if (last.kind != qel_history_value::kText || last.text.empty())
    return;
  LRESULT index = SendMessageW(m_hWnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(last.text.c_str()));
  // CB_FINDSTRINGEXACT ignores case; the selection must match exactly.
  std::vector<std::u16string> items = GetItems();
  if (index != CB_ERR && items[index] == last.text)
    SendMessageW(m_hWnd, CB_SETCURSEL, index, 0);
  else
    SetText(last.text);
}

void CHistoryCombo::SaveHistory() {
  if (!m_hWnd || m_section.empty())
    return;
  std::u16string current = GetText();
  dojob_write_items(qel_history_to_save(current, GetItems(), m_max_items));
  qel_profile_write_string(m_section.c_str(), m_last_key, current);
}

void CHistoryCombo::ClearHistory() {
  if (m_hWnd)
    SendMessageW(m_hWnd, CB_RESETCONTENT, 0, 0);
  if (!m_section.empty())
    dojob_write_items({});
}

void CHistoryCombo::dojob_write_items(const std::vector<std::u16string>& items) {
  int n = 0;
  for (const std::u16string& item : items)
    qel_profile_write_string(m_section.c_str(), qel_history_item_key(m_key_prefix, n++), item);
  // An empty value ends the list for the next load.
  if (n < m_max_items)
    qel_profile_write_string(m_section.c_str(), qel_history_item_key(m_key_prefix, n), u"");
}

std::u16string CHistoryCombo::GetText() const {
  if (!m_hWnd)
    return {};
  int len = GetWindowTextLengthW(m_hWnd);
  std::wstring text(static_cast<size_t>(len) + 1, L'\0');
  len = GetWindowTextW(m_hWnd, text.data(), len + 1);
  return std::u16string(as_u16(text.c_str()), static_cast<size_t>(len));
}

void CHistoryCombo::SetText(const std::u16string& text) {
  if (m_hWnd)
    SetWindowTextW(m_hWnd, as_wide(text.c_str()));
}

std::vector<std::u16string> CHistoryCombo::GetItems() const {
  std::vector<std::u16string> items;
  if (!m_hWnd)
    return items;
  LRESULT count = SendMessageW(m_hWnd, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT len = SendMessageW(m_hWnd, CB_GETLBTEXTLEN, i, 0);
    if (len == CB_ERR)
      continue;
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    len = SendMessageW(m_hWnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    items.emplace_back(as_u16(text.c_str()), static_cast<size_t>(len));
  }
  return items;
}
