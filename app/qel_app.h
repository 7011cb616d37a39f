// The one application object: owns the main window, the registry keys and (as their issues
// land) the recording folder manager, the messenger instance registry and its COM object.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/qel_app_session_end.h"
#include "app/qel_iapp.h"
#include "app/qel_irecord_host.h"
#include "library/qel_profile.h"
#include "platform/win32/win.h"
#include "qel_lib/qel_ptr.h"
#include "qel_lib/qel_subject.h"
#include "ui/qel_ui_cmd.h"
#include "winkit/wk_com_ptr.h"

class CMyTopWnd;
class DlgMessageBox;
class ZulMsnOCInstWrapRep;
class qel_avi_file_mngr;

class co_qel_app_msn;

class c_quorvantine_app : public ZulIApp, public qel_irecord_host {
 public:
  c_quorvantine_app();
  ~c_quorvantine_app() override;

  void Shutdown() override;
  using ZulIApp::Create;
  void Finalize() override;
  // Reads the command line, enforces the single instance and builds the application.
  virtual bool Create(const char16_t* cmd_line);
  virtual HWND GetTopWndHandle();
  shared_ptr<CMyTopWnd> GetTopWnd() override;
  shared_ptr<qel_avi_file_mngr> GetFileMngr() override;
  virtual ZulProfileKey GetUserKey();
  virtual ZulProfileKey GetMachineKey();
  void on_record_started() override;
  void on_record_stopped(int _save_list_size,
                         const wchar_t* const* _save_list,
                         int _del_list_size,
                         const wchar_t* const* _del_list,
                         int64_t _start_time) override;
  void on_record_lost(const char16_t* _path, int64_t _start_time) override;
  qel_engine_end_subject* GetEngineEndSink() override { return &m_engine_end_sink; }
  // A messenger instance's process ended without saying so: the engine inside may have
  // died in the middle of a recording.
  void OnOCProcessEnded(DWORD _proc_id);

  void OnWndEvent(const qel_ui_cmd* _ui_cmd);

  // Where a chosen recording folder comes from in place of the folder dialog (tests give
  // their own).
  using SelectFolder = std::function<bool(char16_t* _dir, uint32_t _len)>;
  void set_select_folder(SelectFolder _select) { m_select_folder = std::move(_select); }

 private:
  using UiCmdAdapter = ObserverAdapter<c_quorvantine_app, qel_ui_cmd_subject>;

  // False when this process must end: another instance runs or the automatic start is off.
  bool dojob_may_start(bool started_automatically);
  // Totals, no streams and the library's records, as the main window starts.
  void dojob_fill_top_wnd();
  // The recording folder and the library's rate, for the free space the window watches.
  void dojob_show_record_volume();
  // The library's records into the main window's list, after it was cleared.
  void dojob_list_library();
  // True when the file joined the library and the main window's list.
  bool dojob_add_saved_file(const wchar_t* _path, int64_t _start_time);
  void dojob_repair_file(uint32_t _id);
  void dojob_recycle_file(const wchar_t* _path);
  void dojob_delete_file(uint32_t _id);
  int dojob_open_web_page(const char* _url);
  bool dojob_prompt_user_to_select_folder(char16_t* _p_new_dir, uint32_t _new_dir_len);
  void dojob_change_dest_dir();
  void dojob_report_unusable_dir(const char16_t* _dir, const wchar_t* _reason);

  shared_ptr<ZulMsnOCInstWrapRep> mOCInstWrapRep;
  ZulProfileKey m_user_key;
  ZulProfileKey m_machine_key;
  std::u16string m_cmd_line;
  shared_ptr<CMyTopWnd> m_top_wnd;
  shared_ptr<qel_avi_file_mngr> m_file_mngr;
  shared_ptr<DlgMessageBox> m_msg_box;
  WkComPtr<co_qel_app_msn> m_com_app;
  UiCmdAdapter m_ui_cmd_adapter;
  qel_engine_end_subject m_engine_end_sink;
  SelectFolder m_select_folder;
  qel_app_session_end m_session_end{this};
};

// Creates the application once (Create runs while qel_get_app already returns it); later
// calls return the existing one. Empty when creation failed.
shared_ptr<c_quorvantine_app> qel_create_app(const char16_t* cmd_line);
// The application, or an empty pointer when none exists.
shared_ptr<c_quorvantine_app> qel_get_app();
