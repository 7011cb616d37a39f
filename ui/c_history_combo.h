// A drop-down combo box that remembers what was chosen in it: its items live in the
// application's profile store as "<prefix>0000", "<prefix>0001", ... of one section, with the
// last selection in a value of its own.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/win.h"

class CHistoryCombo {
 public:
  CHistoryCombo() = default;
  CHistoryCombo(const CHistoryCombo&) = delete;
  CHistoryCombo& operator=(const CHistoryCombo&) = delete;

  // An editable drop-down combo, child of `parent`, using `font`.
  bool Create(HWND parent, const RECT& rect, UINT id, HFONT font);

  void SetMaxHistoryItems(int max_items) { m_max_items = max_items; }
  // Only stored values that name an existing path are shown.
  void SetCheckAccess(bool only_existing) { m_only_existing = only_existing; }

  // Fills the list from the store. With `restore_last`, the stored last selection is selected
  // when an item matches it exactly, else put into the edit field.
  void LoadHistory(const char* section,
                   const char* key_prefix,
                   bool restore_last,
                   const char* last_key = nullptr);
  // Stores the items with the current text as the newest one, and the current text as the
  // last selection.
  void SaveHistory();
  void ClearHistory();

  std::u16string GetText() const;
  void SetText(const std::u16string& text);
  std::vector<std::u16string> GetItems() const;

  HWND m_hWnd = nullptr;

 private:
  void dojob_write_items(const std::vector<std::u16string>& items);

  int m_max_items = 10;
  bool m_only_existing = false;
  std::string m_section;
  std::string m_key_prefix;
  std::string m_last_key;
};
