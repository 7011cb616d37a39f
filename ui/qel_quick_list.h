// The history list control: a virtual (owner-data) report list that stores only its row
// count. For every cell it paints or is asked about, it fills one request record and asks
// its parent with message 3003; the parent answers from its own records.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/win.h"
// The common controls need the Windows types first.
#include <commctrl.h>

#include "winkit/wk_gdi.h"
#include "winkit/wk_wnd.h"

// What the list asks its parent about one cell (message 3003, lparam).
struct ListItemData {
  std::wstring m_text;
  int m_reserved = 0;
  int m_image_index = -1;
  HIMAGELIST m_image_list = nullptr;
  BYTE m_draw_bk = 0;
  BYTE m_center_image = 0;
  int m_image_style = ILD_BLEND50;
  int m_item = 0;
  int m_sub_item = 0;
  BYTE m_selected = 0;
  BYTE m_hot = 0;
};

// wparam: the list's window, lparam: ListItemData*. The result is ignored.
inline constexpr UINT WM_QEL_LIST_GET_ITEM = 3003;

class CQuickList : public WkWnd {
 public:
  bool Create(const RECT& rect, HWND parent, UINT id);
  void SetItemCount(int count);
  int GetItemCount() const;
  // The rows the user selected, in list order.
  template <class F>
  void ForEachSelected(F f) const {
    for (int i = ListView_GetNextItem(m_hWnd, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(m_hWnd, i, LVNI_SELECTED))
      f(i);
  }
  int GetSelectedCount() const;
  int GetFocusedItem() const;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;
  bool OnReflectedMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result) override;

 private:
  // What every cell of a row is asked with.
  struct RowState {
    HIMAGELIST image_list = nullptr;
    BYTE draw_bk = 0;
    BYTE selected = 0;
    BYTE hot = 0;
  };
  RowState dojob_row_state(int item) const;
  // What every row of one paint shares: asked at the paint's first row, not at each row.
  struct PaintShared {
    bool valid = false;
    std::vector<int> column_formats;
    // The first row's cells and its top: every row has the same columns, only lower down.
    std::vector<RECT> cells;
    int cells_top = 0;
    HFONT font = nullptr;
    RowState row;
    int hot_item = -1;
  };
  const PaintShared& dojob_paint_shared(int item, int top);
  // Paints into nothing: see SetItemCount.
  void dojob_paint_unseen();
  // Empties the reusable request and asks the parent about one cell.
  ListItemData& dojob_ask_parent(int item, int sub_item);
  ListItemData& dojob_ask_parent(int item, int sub_item, const RowState& row);
  void OnGetDispInfo(NMLVDISPINFOW* info);
  void OnDrawItem(const DRAWITEMSTRUCT* draw);
  // A mark as drawn on a cell's background, made once and copied for every row after: the
  // image list's own drawing makes and frees a bitmap for each mark.
  struct MarkTile {
    HIMAGELIST image_list = nullptr;
    int index = 0;
    UINT style = 0;
    COLORREF back = 0;
    std::unique_ptr<WkMemoryDC> picture;
  };
  const WkMemoryDC* dojob_mark_tile(HDC dc, COLORREF back, UINT style, int w, int h);
  void dojob_draw_cell(HDC dc,
                       const RECT& cell,
                       int column_format,
                       bool selected,
                       COLORREF back_color,
                       COLORREF text_color,
                       HFONT font);

  ListItemData m_request;
  std::vector<MarkTile> m_mark_tiles;
  int m_paint_depth = 0;
  PaintShared m_paint_shared;
};
