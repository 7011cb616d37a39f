#include "ui/qel_quick_list.h"

#include <algorithm>

#include "winkit/wk_gdi.h"

namespace {

// "&" shown as itself rather than as a mnemonic underline.
std::wstring double_ampersands(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    out.push_back(c);
    if (c == L'&')
      out.push_back(L'&');
  }
  return out;
}

}  // namespace

bool CQuickList::Create(const RECT& rect, HWND parent, UINT id) {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER |
                LVS_OWNERDATA | LVS_ALIGNLEFT | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS;
  // A new parent may hand out other image lists under the same handles.
  m_mark_tiles.clear();
  if (!CreateControl(WC_LISTVIEWW, 0, L"", style, rect, parent, id))
    return false;
  ListView_SetExtendedListViewStyle(m_hWnd, LVS_EX_FULLROWSELECT);
  return true;
}

void CQuickList::SetItemCount(int count) {
  if (!m_hWnd)
    return;
  ListView_SetItemCountEx(m_hWnd, count, LVSICF_NOSCROLL);
  // The list works out its row metrics at its first paint with rows and then sets its scroll
  // bar again, which draws the bar on the screen once more. Filled while hidden, it does that
  // unseen in a paint into nothing, and the bar is drawn once when the list is shown.
  if (count > 0 && !::IsWindowVisible(m_hWnd))
    dojob_paint_unseen();
}

void CQuickList::dojob_paint_unseen() {
  HDC dc = CreateCompatibleDC(nullptr);
  HRGN nothing = CreateRectRgn(0, 0, 0, 0);
  if (dc && nothing && SelectClipRgn(dc, nothing) == NULLREGION)
    SendMessageW(m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  if (nothing)
    DeleteObject(nothing);
  if (dc)
    DeleteDC(dc);
}

int CQuickList::GetItemCount() const {
  return m_hWnd ? ListView_GetItemCount(m_hWnd) : 0;
}

int CQuickList::GetSelectedCount() const {
  return m_hWnd ? static_cast<int>(ListView_GetSelectedCount(m_hWnd)) : 0;
}

int CQuickList::GetFocusedItem() const {
  return m_hWnd ? ListView_GetNextItem(m_hWnd, -1, LVNI_FOCUSED) : -1;
}

CQuickList::RowState CQuickList::dojob_row_state(int item) const {
  RowState row;
  row.image_list = ListView_GetImageList(m_hWnd, LVSIL_SMALL);
  row.draw_bk = (ListView_GetExtendedListViewStyle(m_hWnd) & LVS_EX_FULLROWSELECT) ? 0 : 1;
  row.selected = (ListView_GetItemState(m_hWnd, item, LVIS_SELECTED) & LVIS_SELECTED) != 0;
  row.hot = ListView_GetHotItem(m_hWnd) == item;
  return row;
}

ListItemData& CQuickList::dojob_ask_parent(int item, int sub_item) {
  return dojob_ask_parent(item, sub_item, dojob_row_state(item));
}

ListItemData& CQuickList::dojob_ask_parent(int item, int sub_item, const RowState& row) {
  m_request = ListItemData();
  m_request.m_image_list = row.image_list;
  m_request.m_draw_bk = row.draw_bk;
  m_request.m_image_style = ILD_BLEND50;
  m_request.m_item = item;
  m_request.m_sub_item = sub_item;
  m_request.m_selected = row.selected;
  m_request.m_hot = row.hot;
  SendMessageW(GetParent(), WM_QEL_LIST_GET_ITEM, reinterpret_cast<WPARAM>(m_hWnd),
               reinterpret_cast<LPARAM>(&m_request));
  return m_request;
}

void CQuickList::OnGetDispInfo(NMLVDISPINFOW* info) {
  LVITEMW& item = info->item;
  // The list also asks about a row's indent and state, which the parent does not answer.
  if (!(item.mask & (LVIF_TEXT | LVIF_IMAGE)))
    return;
  ListItemData& data = dojob_ask_parent(item.iItem, item.iSubItem);
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
    lstrcpynW(item.pszText, data.m_text.c_str(), item.cchTextMax);
  if (item.mask & LVIF_IMAGE)
    item.iImage = data.m_image_list ? data.m_image_index : -1;
}

LRESULT CQuickList::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg != WM_PAINT && msg != WM_PRINTCLIENT)
    return WkWnd::OnMessage(msg, wparam, lparam);
  ++m_paint_depth;
  LRESULT result = WkWnd::OnMessage(msg, wparam, lparam);
  if (--m_paint_depth == 0)
    m_paint_shared.valid = false;
  return result;
}

const CQuickList::PaintShared& CQuickList::dojob_paint_shared(int item, int top) {
  if (m_paint_shared.valid)
    return m_paint_shared;
  HWND header = ListView_GetHeader(m_hWnd);
  int columns = std::max(header ? Header_GetItemCount(header) : 0, 0);
  m_paint_shared.column_formats.assign(columns, 0);
  m_paint_shared.cells.assign(columns, RECT{});
  for (int column = 0; column < columns; ++column) {
    LVCOLUMNW col = {};
    col.mask = LVCF_FMT;
    ListView_GetColumn(m_hWnd, column, &col);
    m_paint_shared.column_formats[column] = col.fmt;
    RECT& cell = m_paint_shared.cells[column];
    ListView_GetSubItemRect(m_hWnd, item, column, LVIR_BOUNDS, &cell);
    // The first column's bounds are the whole row's.
    if (column == 0)
      cell.right = cell.left + ListView_GetColumnWidth(m_hWnd, 0);
  }
  m_paint_shared.cells_top = top;
  m_paint_shared.font = reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  m_paint_shared.row.image_list = ListView_GetImageList(m_hWnd, LVSIL_SMALL);
  m_paint_shared.row.draw_bk =
      (ListView_GetExtendedListViewStyle(m_hWnd) & LVS_EX_FULLROWSELECT) ? 0 : 1;
  m_paint_shared.hot_item = ListView_GetHotItem(m_hWnd);
  // Outside a paint (a row drawn on its own) nothing is kept for the next row.
  m_paint_shared.valid = m_paint_depth > 0;
  return m_paint_shared;
}

bool CQuickList::OnReflectedMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lparam)->code == LVN_GETDISPINFOW) {
    OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(lparam));
    *result = 0;
    return true;
  }
  if (msg == WM_DRAWITEM) {
    OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
    *result = TRUE;
    return true;
  }
  return false;
}

void CQuickList::OnDrawItem(const DRAWITEMSTRUCT* draw) {
  int item = static_cast<int>(draw->itemID);
  bool focused_list = GetFocus() == m_hWnd;
  bool selected = (draw->itemState & ODS_SELECTED) &&
                  (focused_list || (GetWindowLongW(m_hWnd, GWL_STYLE) & LVS_SHOWSELALWAYS));
  COLORREF back = GetSysColor(COLOR_WINDOW);
  COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  if (selected) {
    back = GetSysColor(focused_list ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    text = GetSysColor(focused_list ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
  }
  HDC dc = draw->hDC;
  const PaintShared& shared = dojob_paint_shared(item, draw->rcItem.top);
  // What the row's cells share is asked once per row, not per cell.
  RowState row_state = shared.row;
  row_state.selected = (ListView_GetItemState(m_hWnd, item, LVIS_SELECTED) & LVIS_SELECTED) != 0;
  row_state.hot = shared.hot_item == item;
  WkBrush brush(CreateSolidBrush(back));
  HFONT font = shared.font;
  int columns = static_cast<int>(shared.column_formats.size());
  for (int column = 0; column < columns; ++column) {
    RECT cell = shared.cells[column];
    OffsetRect(&cell, 0, draw->rcItem.top - shared.cells_top);
    FillRect(dc, &cell, brush.get());
    dojob_ask_parent(item, column, row_state);
    dojob_draw_cell(dc, cell, shared.column_formats[column], selected, back, text, font);
  }
  if ((draw->itemState & ODS_FOCUS) && focused_list) {
    RECT row = draw->rcItem;
    DrawFocusRect(dc, &row);
  }
}

const WkMemoryDC* CQuickList::dojob_mark_tile(HDC dc, COLORREF back, UINT style, int w, int h) {
  for (const MarkTile& tile : m_mark_tiles) {
    if (tile.image_list == m_request.m_image_list && tile.index == m_request.m_image_index &&
        tile.style == style && tile.back == back)
      return tile.picture.get();
  }
  // A few marks on two or three backgrounds; anything beyond is not worth keeping.
  if (m_mark_tiles.size() >= 16)
    m_mark_tiles.clear();
  auto picture = std::make_unique<WkMemoryDC>(dc, w, h);
  if (!picture->valid())
    return nullptr;
  RECT all = {0, 0, w, h};
  WkBrush brush(CreateSolidBrush(back));
  FillRect(picture->dc(), &all, brush.get());
  ImageList_Draw(m_request.m_image_list, m_request.m_image_index, picture->dc(), 0, 0, style);
  m_mark_tiles.push_back(
      {m_request.m_image_list, m_request.m_image_index, style, back, std::move(picture)});
  return m_mark_tiles.back().picture.get();
}

void CQuickList::dojob_draw_cell(HDC dc,
                                 const RECT& cell,
                                 int column_format,
                                 bool selected,
                                 COLORREF back_color,
                                 COLORREF text_color,
                                 HFONT font) {
  RECT box = cell;
  if (m_request.m_image_list && m_request.m_image_index >= 0) {
    int w = 0;
    int h = 0;
    ImageList_GetIconSize(m_request.m_image_list, &w, &h);
    int x = m_request.m_center_image ? (cell.left + cell.right - w) / 2 : cell.left + 1;
    int y = (cell.top + cell.bottom - h) / 2;
    // Cut to the cell so that a narrow column does not spill into the next one.
    int save = SaveDC(dc);
    IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
    UINT style = ILD_TRANSPARENT | (selected ? static_cast<UINT>(m_request.m_image_style) : 0);
    if (const WkMemoryDC* tile = dojob_mark_tile(dc, back_color, style, w, h))
      BitBlt(dc, x, y, w, h, tile->dc(), 0, 0, SRCCOPY);
    else
      ImageList_Draw(m_request.m_image_list, m_request.m_image_index, dc, x, y, style);
    RestoreDC(dc, save);
    box.left = x + w;
  }
  if (m_request.m_text.empty())
    return;
  UINT align = DT_LEFT;
  if ((column_format & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER)
    align = DT_CENTER;
  else if ((column_format & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT)
    align = DT_RIGHT;
  InflateRect(&box, -3, 0);
  std::wstring shown = double_ampersands(m_request.m_text);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text_color);
  WkSelectObject selected_font(dc, font);
  DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &box,
            align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}
