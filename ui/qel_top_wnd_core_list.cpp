// The history list's side of the main window: its creation, the cells it asks for, its
// rows and column widths, and the user's clicks and keys on it.
#include "library/qel_app_setting.h"
#include "platform/clock.h"
#include "qel_lib/qel_assert.h"
#include "res/resource.h"
#include "ui/core/qel_abbr_path.h"
#include "ui/core/qel_start_time_text.h"
#include "ui/core/qel_time_length_text.h"
#include "ui/qel_top_wnd_core.h"
#include "ui/qel_ui_texts.h"
#include "winkit/wk_menu.h"
#include "winkit/wk_resource.h"

namespace {

constexpr wchar_t const* kColumnNames[kQelColumnCount] = {L"Name", L"StartTime", L"TimeLength",
                                                          L"IsAudio", L"IsVideo"};
constexpr int kMarkAudio = 0;
constexpr int kMarkVideo = 1;
constexpr int kMarkCut = 2;

// Measured once per process: the samples do not change while it runs.
int g_start_time_width = 0;

}  // namespace

bool CMyTopWndCore::dojob_init_history_list() {
  if (!QEL_ASSERT_MSG(!m_list_popup_menu, "!m_list_popup_menu"))
    return false;
  m_list_popup_menu.reset(WkLoadMenu(IDR_LIST_POPUP_MENU));
  if (!m_list_popup_menu)
    return false;
  if (QEL_ASSERT_MSG(!m_image_list, "!m_image_list")) {
    m_image_list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 2);
    WkBitmap marks(WkLoadBitmap(IDB_HISTORY_MARKS));
    int i_rtn =
        m_image_list && marks ? ImageList_AddMasked(m_image_list, marks.get(), RGB(0, 0, 0)) : -1;
    QEL_ASSERT(i_rtn >= 0);
  }
  if (QEL_ASSERT_MSG(!m_quick_list.m_hWnd, "!m_quick_list")) {
    if (m_quick_list.Create(dojob_list_rect(), m_hWnd, IDC_HISTORY_LIST)) {
      m_quick_list.SetItemCount(0);
      for (int i = 0; i < kQelColumnCount; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.fmt = LVCFMT_CENTER;
        column.pszText = const_cast<wchar_t*>(kColumnNames[i]);
        column.cx = 10;
        column.iSubItem = i;
        ListView_InsertColumn(m_quick_list.m_hWnd, i, &column);
      }
      dojob_recompute_column_widths();
    }
  }
  if (QEL_ASSERT_MSG(!m_ui_avi_file_info_list.valid(), "!m_ui_avi_file_info_list"))
    m_ui_avi_file_info_list = shared_ptr<qel_ui_avi_file_info_list>(new qel_ui_avi_file_info_list);
  return true;
}

void CMyTopWndCore::dojob_recompute_column_widths() {
  if (!m_quick_list.m_hWnd)
    return;
  RECT client = m_quick_list.GetClientRect();
  if (!g_start_time_width) {
    g_start_time_width = qel_start_time_column_width(
        [](const char16_t* text, void* self) {
          return static_cast<CMyTopWndCore*>(self)->dojob_measure_list_text(
              reinterpret_cast<const wchar_t*>(text));
        },
        this);
  }
  qel_column_widths widths = m_column_widths;
  if (!qel_compute_column_widths(client.right - client.left, g_start_time_width, &widths))
    return;
  // Each width set lays the list out again: only those that changed are set (the name's, as a
  // scroll bar comes or goes).
  for (int i = 0; i < kQelColumnCount; ++i) {
    if (widths[i] != m_column_widths[i])
      ListView_SetColumnWidth(m_quick_list.m_hWnd, i, widths[i]);
  }
  m_column_widths = widths;
}

LRESULT CMyTopWndCore::OnGetListItem(HWND _list, ListItemData* _request) {
  if (_list != m_quick_list.m_hWnd || !_request || !m_ui_avi_file_info_list.valid())
    return 0;
  shared_ptr<qel_ui_avi_file_info> info = m_ui_avi_file_info_list->get_at(_request->m_item);
  if (!info.valid())
    return 0;
  switch (_request->m_sub_item) {
    case kQelColumnName:
      _request->m_image_index = info->m_is_cut ? kMarkCut : 0;
      _request->m_image_list = info->m_is_cut ? m_image_list : nullptr;
      _request->m_text = reinterpret_cast<const wchar_t*>(info->m_title.c_str());
      break;
    case kQelColumnStartTime: {
      std::u16string text = qel_start_time_text(platform::current_time(), info->m_start_time,
                                                &qel_os_local_calendar, &qel_text16);
      _request->m_text.assign(text.begin(), text.end());
      break;
    }
    case kQelColumnTimeLength: {
      std::u16string text = qel_time_length_text(info->m_time_len);
      _request->m_text.assign(text.begin(), text.end());
      break;
    }
    case kQelColumnIsAudio:
      if (info->m_has_audio) {
        _request->m_image_list = m_image_list;
        _request->m_image_index = kMarkAudio;
      }
      break;
    case kQelColumnIsVideo:
      if (info->m_has_video) {
        _request->m_image_list = m_image_list;
        _request->m_image_index = kMarkVideo;
      }
      break;
  }
  return 0;
}

LRESULT CMyTopWndCore::OnNotify(NMHDR* _header) {
  if (!_header)
    return 0;
  if (_header->code == TTN_NEEDTEXTW)
    return OnTooltipText(reinterpret_cast<NMTTDISPINFOW*>(_header));
  if (_header->idFrom != IDC_HISTORY_LIST)
    return 0;
  switch (_header->code) {
    case NM_RCLICK:
      OnRClickList(reinterpret_cast<NMITEMACTIVATE*>(_header));
      return 0;
    case NM_DBLCLK:
      OnDoubleClickList(reinterpret_cast<NMITEMACTIVATE*>(_header));
      return 0;
    case NM_RETURN:
      dojob_play_focused();
      return 0;
    case LVN_KEYDOWN:
      OnListKeyDown(reinterpret_cast<NMLVKEYDOWN*>(_header));
      return 0;
  }
  return 0;
}

void CMyTopWndCore::OnRClickList(const NMITEMACTIVATE* _item) {
  POINT cursor = {};
  GetCursorPos(&cursor);
  dojob_show_list_popup(_item->iItem, cursor);
}

void CMyTopWndCore::OnListContextKey() {
  HWND list = m_quick_list.m_hWnd;
  int item = static_cast<int>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED | LVNI_SELECTED));
  if (item < 0)
    item = static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (item < 0)
    return;
  SendMessageW(list, LVM_ENSUREVISIBLE, item, FALSE);
  RECT label = {};
  label.left = LVIR_LABEL;
  SendMessageW(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&label));
  POINT at = {label.left, label.bottom};
  ClientToScreen(list, &at);
  dojob_show_list_popup(item, at);
}

void CMyTopWndCore::dojob_show_list_popup(int _item, POINT _at) {
  if (_item < 0)
    return;
  HMENU popup = GetSubMenu(m_list_popup_menu.get(), 0);
  if (!popup)
    return;
  shared_ptr<qel_ui_avi_file_info> info = m_ui_avi_file_info_list->get_at(_item);
  // Repair joins the menu only while it is open, usable for a recording cut short.
  bool cut = info.valid() && info->m_is_cut;
  AppendMenuW(popup, MF_STRING | (cut ? MF_ENABLED : MF_GRAYED), kQelWndRepair,
              qel_text(IDS_REPAIR));
  UINT chosen = WkTrackPopupMenu(
      popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, _at, m_hWnd);
  DeleteMenu(popup, kQelWndRepair, MF_BYCOMMAND);
  if (chosen && info.valid())
    OnCommand(static_cast<WORD>(chosen), static_cast<LPARAM>(info->m_id));
}

void CMyTopWndCore::OnDoubleClickList(const NMITEMACTIVATE* _item) {
  if (_item->iItem < 0)
    return;
  shared_ptr<qel_ui_avi_file_info> info = m_ui_avi_file_info_list->get_at(_item->iItem);
  if (info.valid())
    OnCommand(kQelWndPlay, static_cast<LPARAM>(info->m_id));
}

void CMyTopWndCore::OnListKeyDown(const NMLVKEYDOWN* _key) {
  if (_key->wVKey == VK_DELETE)
    dojob_delete_selected();
}

// The list holds only the row count: after the records change, set it and repaint the rows.
void CMyTopWndCore::dojob_refresh_list() {
  m_quick_list.SetItemCount(m_ui_avi_file_info_list->get_count());
  dojob_recompute_column_widths();
  if (m_quick_list.m_hWnd)
    InvalidateRect(m_quick_list.m_hWnd, nullptr, FALSE);
  if (m_hWnd)
    UpdateWindow(m_hWnd);
}

void CMyTopWndCore::add_file_infos(const std::vector<shared_ptr<qel_ui_avi_file_info>>& _list) {
  if (!m_ui_avi_file_info_list.valid())
    return;
  m_ui_avi_file_info_list->on_new_file_infos(_list);
  dojob_refresh_list();
}

void CMyTopWndCore::remove_file_info(uint32_t _id) {
  if (!m_ui_avi_file_info_list.valid())
    return;
  m_ui_avi_file_info_list->on_del_file_info(_id);
  dojob_refresh_list();
}

void CMyTopWndCore::clear_file_infos() {
  if (m_ui_avi_file_info_list.valid())
    m_ui_avi_file_info_list->clear_all();
  m_quick_list.SetItemCount(0);
  if (m_hWnd) {
    // The folder line names the folder, which a cleared list usually means has changed.
    InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateWindow(m_hWnd);
  }
}

bool CMyTopWndCore::OnTooltipText(NMTTDISPINFOW* _info) {
  UINT id = static_cast<UINT>(_info->hdr.idFrom);
  if (_info->uFlags & TTF_IDISHWND)
    id = static_cast<UINT>(::GetDlgCtrlID(reinterpret_cast<HWND>(_info->hdr.idFrom)));
  const wchar_t* text = nullptr;
  wchar_t path_text[80] = {};
  switch (id) {
    case kQelWndRecord:
      text = qel_text(IDS_RECORD);
      break;
    case kQelWndStop:
      text = qel_text(IDS_STOP_RECORDING);
      break;
    case kQelWndChangeFolder:
      text = qel_text(IDS_SET_RECORDING_FOLDER);
      break;
    case kQelWndHere: {
      char16_t dir[2048] = {};
      if (qel_app_setting::get_dest_dir(dir, 2048) && dir[0] &&
          dojob_abbr_path(dir, reinterpret_cast<char16_t*>(path_text), 80))
        text = path_text;
      else
        text = qel_text(IDS_OPEN_RECORDING_FOLDER);
      break;
    }
    default:
      return false;
  }
  lstrcpynW(_info->szText, text, 80);
  _info->lpszText = _info->szText;
  return true;
}
