// The UI object the recording engine talks to: stream counts and recording reports come in
// through IQelUI; record and stop requests go out to the engine's IQelUIEvents sinks.
#pragma once

#include <string>

#include "app/qel_com_ps.h"
#include "app/qel_irecord_host.h"
#include "qel_lib/qel_iobject.h"
#include "qel_lib/qel_ptr.h"
#include "qel_lib/qel_subject.h"
#include "ui/qel_ui_cmd.h"
#include "winkit/wk_com_object.h"

class CMyTopWnd;

inline constexpr int QEL_MAX_OUTPUT_FILE_COUNT = 2;

class co_qel_ui : public WkComObject<co_qel_ui, IQelUI> {
 public:
  // Turns the main window's record and stop commands into requests to the engine.
  class MyObvrWrap : public ZulIObject {
   public:
    MyObvrWrap() = default;
    ~MyObvrWrap() override;

    bool Create(co_qel_ui* _parent, const shared_ptr<CMyTopWnd>& _top_wnd);
    void Finalize();
    void OnEvent(const qel_ui_cmd* _ui_cmd);

   private:
    using UiCmdAdapter = ObserverAdapter<MyObvrWrap, qel_ui_cmd_subject>;

    void dojob_request_record(co_qel_ui* parent);
    void dojob_request_stop(co_qel_ui* parent);
    // After a refused request the main window shows no streams and no recording.
    void dojob_reset_top_wnd(HRESULT hr);

    // The file an engine was asked to record, until it reports the end: when the engine
    // turns out to be dead, that file joins the library at once.
    void dojob_watch(const char16_t* _path, int64_t _start_time);
    void dojob_unwatch();
    void dojob_record_lost(co_qel_ui* parent);

    weak_ptr<CMyTopWnd> m_top_wnd;
    UiCmdAdapter m_ui_cmd_adapter;
    co_qel_ui* mParent = nullptr;
    bool mIsValid = false;
    std::u16string m_watched_path;  // as requested, without the engine's extension
    int64_t m_watched_start = 0;

    friend class co_qel_ui;
  };

  STDMETHODIMP ShowUI(BOOL show) override;
  STDMETHODIMP ShowTrayIcon(BOOL show) override;
  STDMETHODIMP SetWebcamStreams(int local, int remote) override;
  STDMETHODIMP SetAudioStreams(int first, int second) override;
  STDMETHODIMP OnRecordStarted() override;
  STDMETHODIMP OnRecordStopped(int _save_list_size,
                               BSTR** _save_list,
                               int _del_list_size,
                               BSTR** _del_list,
                               hyper _start_time) override;
  STDMETHODIMP OnRecordStartFailed(int reason) override;

  // Takes the application it reports to; an object made by its class factory for a client
  // takes the one the COM module was given.
  HRESULT FinalConstruct(const shared_ptr<qel_irecord_host>& _host);
  HRESULT FinalConstruct();
  // Lets go of the observer, the main window and the application.
  void ReleaseMembers();

  HRESULT Fire_RequestRecord(BSTR _file_path);
  HRESULT Fire_RequestStop();
  size_t sink_count() const { return m_ui_events.sink_count(); }

 private:
  friend class WkComObject<co_qel_ui, IQelUI>;

  co_qel_ui();
  ~co_qel_ui() override;

  // The application, dropped with the other members; m_host lets each report find it again.
  weak_ptr<qel_irecord_host> m_host;
  shared_ptr<qel_irecord_host> m_app;
  shared_ptr<CMyTopWnd> m_top_wnd;
  shared_ptr<MyObvrWrap> m_obvr;
  WkConnectionPoint m_ui_events;
};
