// A list view control of another process, read and selected the way a screen reader does:
// the item records live in memory allocated in the owner, so the control's own answers fill
// them there.
#pragma once

#include <string>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"

#include <commctrl.h>

class RemoteListView {
 public:
  explicit RemoteListView(HWND list);
  ~RemoteListView();
  RemoteListView(const RemoteListView&) = delete;
  RemoteListView& operator=(const RemoteListView&) = delete;

  bool ok() const { return remote_ != nullptr; }
  // -1 when the control does not answer.
  int Rows() const;
  std::wstring Cell(int row, int column) const;
  // Selects and focuses exactly this row.
  bool SelectOnly(int row) const;
  // The image index the control shows in a cell; -1 for none or no answer.
  int Image(int row, int column) const;
  // The row's rectangle in the control's client coordinates.
  bool RowRect(int row, RECT* rect) const;

 private:
  static constexpr size_t kTextChars = 2048;
  bool Send(UINT msg, WPARAM wparam, const LVITEMW& item, LRESULT* result) const;

  HWND list_;
  platform::ScopedKernelHandle process_;
  char* remote_ = nullptr;
};
