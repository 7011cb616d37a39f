// The UI object the recording engine talks to: stream counts and recording reports come in
// through IQelUI; record and stop requests go out to the engine's IQelUIEvents sinks.
#pragma once

#include <string>
#include <vector>

#include "app/qel_com_ps.h"
#include "app/qel_irecord_host.h"
#include "app/qel_record_watch.h"
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
    // A process ended that may have held the engine recording now.
    void OnEngineEnded(uint32_t _proc_id);

   private:
    using UiCmdAdapter = ObserverAdapter<MyObvrWrap, qel_ui_cmd_subject>;
    using EngineEndAdapter = ObserverAdapter<MyObvrWrap, qel_engine_end_subject>;

    void dojob_request_record(co_qel_ui* parent);
    void dojob_request_stop(co_qel_ui* parent);
    // After a refused request the main window shows no streams and no recording.
    void dojob_reset_top_wnd(HRESULT hr);

    void dojob_unwatch() { m_watch.unwatch(); }
    // When every engine that took the recording is gone (a failed request found it dead,
    // or its process ended), the file it was writing joins the library at once; true then.
    bool dojob_check_lost(co_qel_ui* parent);

    weak_ptr<CMyTopWnd> m_top_wnd;
    UiCmdAdapter m_ui_cmd_adapter;
    EngineEndAdapter m_engine_end_adapter;
    weak_ptr<qel_irecord_host> m_host;
    co_qel_ui* mParent = nullptr;
    bool mIsValid = false;
    qel_record_watch m_watch;

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

  // *_takers: the sinks that answered S_OK, which is an engine taking the recording; one
  // that answers S_FALSE has nothing to record.
  HRESULT Fire_RequestRecord(BSTR _file_path, std::vector<uint32_t>* _takers = nullptr);
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
