// The main frame window with all its behaviour: creation, the commands of buttons and
// menus, the tray clicks, timers, the history list's data and the record-info panel. How
// it looks (layout and painting) comes from CMyTopWndCoreStt through the virtual steps.
#pragma once

#include <functional>
#include <vector>

#include "library/qel_ui_file_info_list.h"
#include "platform/win32/win.h"
// The common controls need the Windows types first.
#include <commctrl.h>

#include "qel_lib/qel_ptr.h"
#include "res/resource.h"
#include "ui/core/qel_history_columns.h"
#include "ui/core/qel_record_info_state.h"
#include "ui/core/qel_tray_click_state.h"
#include "ui/foo_button.h"
#include "ui/ox_tool_tip_ctrl.h"
#include "ui/qel_quick_list.h"
#include "ui/qel_top_wnd_disk.h"
#include "ui/qel_top_wnd_tray.h"
#include "ui/qel_ui_cmd.h"
#include "winkit/wk_frame_wnd.h"
#include "winkit/wk_gdi.h"
#include "winkit/wk_gdiplus.h"

class DlgAbout;
class DlgMessageBox;
class DlgOptions;

class CMyTopWndCore : public WkFrameWnd {
 public:
  static constexpr UINT_PTR kTimerRecordInfo = 1;
  static constexpr UINT_PTR kTimerSystemTray = 2;
  static constexpr UINT_PTR kTimerAutoRecord = 3;
  static constexpr UINT kTrayNotifyMsg = qel_top_wnd_tray::kCallbackMsg;
  static constexpr UINT kTrayIconId = IDR_TRAY_MENU;

  CMyTopWndCore();
  ~CMyTopWndCore() override;

  // Show mode 0 shows the window, 1 keeps it hidden, anything else follows
  // "ui_main_wnd_show". `_ui_cmd_sink` receives every command the user gives;
  // `_kid_observer` is attached to the child dialogs that publish commands.
  bool create(int _show_mode,
              qel_ui_cmd_subject* _ui_cmd_sink,
              qel_ui_cmd_subject::IObserverAdapter* _kid_observer = nullptr);
  // As create, but the window stays hidden until show_created(): filled while hidden, it
  // is laid out and painted once, with its rows, instead of again for each change.
  bool create_unshown(int _show_mode,
                      qel_ui_cmd_subject* _ui_cmd_sink,
                      qel_ui_cmd_subject::IObserverAdapter* _kid_observer = nullptr);
  // Shows and paints the window create_unshown kept back, when its show mode asked for it.
  void show_created();
  bool DestroyWindow();

  void show_tray_icon(bool _show);
  void set_webcam_stream_count(int _local, int _remote);
  void set_audio_stream_count(int _first, int _second);
  void OnRecordStarted();
  void OnRecordStopped();
  void OnRecordStartFailed(int _reason);
  void reset_streams();
  void add_file_infos(const std::vector<shared_ptr<qel_ui_avi_file_info>>& _list);
  void remove_file_info(uint32_t _id);
  void clear_file_infos();
  // The row of a record whose file changed (a repair) shows the new values.
  void update_file_info(shared_ptr<qel_ui_avi_file_info> _info);
  // The engine died while recording: the panel and the tray animation stop, and the user
  // learns whether what was recorded is kept.
  void OnRecordEndedUnexpectedly(bool _saved);
  void OnRepairFailed();
  void set_total_files(int _n);
  void set_total_minutes(int _n);
  // The recording folder, whose volume's free space the status bar shows and Record checks,
  // and the library's bytes per second (0: none known).
  void set_record_volume(const std::u16string& _folder, uint64_t _bytes_per_second);
  void update_audio_button_caption();
  void update_video_button_caption();
  // While held, no automatic recording starts, and a pending start is dropped.
  void hold_auto_record(bool _hold);
  // Takes the end of the session and sleep (WM_QUERYENDSESSION, WM_ENDSESSION,
  // WM_POWERBROADCAST): true when it answered them, with the answer.
  using SessionHandler = std::function<bool(UINT, WPARAM, LPARAM, LRESULT*)>;
  void set_session_handler(SessionHandler _handler) { m_session_handler = std::move(_handler); }

  // What the window shows, for the application and in-process tests.
  int get_record_info_mode() const { return m_record_info.mode(); }
  bool is_showing_record_info() const { return m_record_info.is_showing(); }
  int get_total_files() const { return m_total_files; }
  int get_total_minutes() const { return m_total_minutes; }
  const shared_ptr<qel_ui_avi_file_info_list>& get_file_info_list() const {
    return m_ui_avi_file_info_list;
  }
  const qel_top_wnd_tray& get_tray() const { return m_tray; }
  const qel_column_widths& get_column_widths() const { return m_column_widths; }
  // The stream panel's three lines as painted.
  std::wstring dojob_audio_stream_text() const;
  std::wstring dojob_local_stream_text() const;
  std::wstring dojob_remote_stream_text() const;

  bool PreTranslateMessage(MSG* msg) override;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;

  // The look, supplied by the skinned window (in the order of their slots).
  virtual void dojob_init_wnd_params() = 0;
  virtual bool dojob_init_buttons() = 0;
  virtual void dojob_destroy_buttons() = 0;
  virtual void dojob_paint_bk(Gdiplus::Graphics* _graphics) = 0;
  virtual void dojob_layout() = 0;
  virtual void dojob_move_controls() = 0;
  virtual bool dojob_init_skype_info() = 0;
  virtual void dojob_destroy_skype_info() = 0;
  virtual void dojob_paint_skype_info(Gdiplus::Graphics* _graphics) = 0;
  virtual void dojob_paint_record_info_bk(Gdiplus::Graphics* _graphics) = 0;
  // The base creates the list, its menu and marks; the skin adds its painters after.
  virtual bool dojob_init_history_list();
  virtual void dojob_destroy_history_list_painters() = 0;
  virtual void dojob_draw_history_list_bk(Gdiplus::Graphics* _graphics) = 0;
  virtual void dojob_draw_dest_dir_info(Gdiplus::Graphics* _graphics) = 0;
  virtual void dojob_measure_texts() = 0;
  // The panel's texts (mode 1 or 2) on the graphics.
  virtual void dojob_draw_record_info(Gdiplus::Graphics* _graphics) = 0;
  // Rectangles the behaviour needs from the layout.
  virtual RECT dojob_status_bar_rect() const = 0;
  virtual RECT dojob_list_rect() const = 0;
  virtual RECT dojob_record_info_rect() const = 0;
  virtual RECT dojob_stream_panel_rect() const = 0;
  virtual int dojob_status_first_part_right() const = 0;
  virtual float dojob_measure_list_text(const wchar_t* _text) = 0;

  std::wstring dojob_elapsed_text() const;

  // Window data the skin reads and the skin's controls.
  DWORD m_wnd_style = 0;
  DWORD m_status_bar_style = 0;
  RECT m_default_rect = {};
  FooButton m_button_start_recorder;
  FooButton m_button_stop_recorder;
  FooButton m_button_here;
  FooButton m_button_change;
  FooButton m_button_audio_mode;
  FooButton m_button_video_mode;
  FooButton m_picture_folder;
  FooButton m_picture_audio;
  FooButton m_label_audio;
  FooButton m_label_video;
  CQuickList m_quick_list;
  HWND m_status_bar = nullptr;
  int m_webcam_local = 0;
  int m_webcam_remote = 0;
  int m_audio_first = 0;
  int m_audio_second = 0;
  qel_record_info_state m_record_info;

  // Relayout, move the controls, and repaint what changed.
  void dojob_relayout();
  void dojob_recompute_column_widths();
  void dojob_refresh_list();

 private:
  bool dojob_read_saved_rect(RECT* _rect, bool* _show) const;
  bool dojob_create_status_bar();
  bool dojob_create_tooltips();
  void dojob_show_and_activate();
  void dojob_publish(int32_t _cmd_id, int32_t _param = 0);
  void dojob_save_rect();
  void dojob_set_status_text(const std::wstring& _text);
  void dojob_stream_counts_changed();

  void OnPaint(HDC _target, const RECT& _paint_rect);
  void OnSize(int _width, int _height);
  LRESULT OnCommand(WORD _id, LPARAM _param);
  LRESULT OnTimer(UINT_PTR _id);
  LRESULT OnNotify(NMHDR* _header);
  LRESULT OnGetListItem(HWND _list, ListItemData* _request);
  LRESULT OnTrayNotification(WPARAM _icon_id, LPARAM _mouse_msg);
  void OnTimer_record_info();
  void OnTimer_system_tray_icon();
  void OnTimer_auto_record();
  void OnRClickList(const NMITEMACTIVATE* _item);
  // The list's menu from the keyboard, for the focused row, below its name.
  void OnListContextKey();
  void dojob_show_list_popup(int _item, POINT _at);
  void OnDoubleClickList(const NMITEMACTIVATE* _item);
  void OnListKeyDown(const NMLVKEYDOWN* _key);
  bool OnTooltipText(NMTTDISPINFOW* _info);
  void OnInitMenuPopup(HMENU _menu, int _index);

  void dojob_show_legal_warning();
  // A notice that needs no answer: a balloon at the tray icon, the message box without one.
  void dojob_notify(UINT _caption_id, UINT _text_id);
  bool dojob_create_disk_watch();
  void dojob_set_disk_text(const std::wstring& _text);
  // The window's own message box; `_icon` is a system icon id (IDI_INFORMATION...).
  void dojob_show_message(const wchar_t* _caption,
                          const wchar_t* _line1,
                          const wchar_t* _line2,
                          LPCSTR _icon);
  void dojob_delete_selected();
  void dojob_play_focused();
  void dojob_show_tray_menu();
  void dojob_show_audio_menu();
  void dojob_show_video_menu();
  void dojob_show_about();
  void dojob_show_options();
  void dojob_show_record_info();
  void dojob_hide_record_info();
  void dojob_draw_record_info_now();
  void dojob_start_auto_record_timer();

  qel_ui_cmd_subject* m_ui_cmd_sink = nullptr;
  WkMenu m_menu_video_settings;
  WkMenu m_menu_audio_settings;
  WkMenu m_list_popup_menu;
  WkMenu m_main_menu;
  HIMAGELIST m_image_list = nullptr;
  shared_ptr<qel_ui_avi_file_info_list> m_ui_avi_file_info_list;
  qel_column_widths m_column_widths = {};
  int m_total_files = 0;
  int m_total_minutes = 0;
  COXToolTipCtrl m_tooltip;
  bool m_has_tooltip = false;
  bool m_show_when_created = false;
  WkIcon m_icon_main;
  WkIcon m_icon_main_small;
  qel_top_wnd_tray m_tray;
  qel_tray_click_state m_tray_clicks;
  qel_top_wnd_disk m_disk;
  bool m_auto_record_timer = false;
  bool m_auto_record_held = false;
  SessionHandler m_session_handler;
  bool m_record_info_timer = false;
  shared_ptr<DlgAbout> m_dlg_about;
  qel_ui_cmd_subject::IObserverAdapter* m_kid_observer = nullptr;
  shared_ptr<DlgOptions> m_dlg_options;
  shared_ptr<DlgMessageBox> m_dlg_msg_box;
};
