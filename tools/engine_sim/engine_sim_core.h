// The engine stand-in's behaviour behind EngineSim: connecting to the program (retried on a
// timer of its own message window), reporting streams, recording on request.
#pragma once

#include <cstdint>
#include <string>

#include "app/qel_com_ps.h"
#include "platform/win32/hidden_window.h"
#include "tools/engine_sim/avi_writer.h"
#include "tools/engine_sim/engine_sim.h"

class EngineSink;

class EngineSimCore {
 public:
  explicit EngineSimCore(const EngineSimOptions& options);
  ~EngineSimCore();

  bool Attach(HWND main_wnd);
  void StartCall();
  void EndCall();
  void Detach();
  void ShowTrayIcon(bool show);
  void DiscardWithNextStop() { m_discard_next = true; }
  bool connected() const { return m_ui != nullptr; }

  // From the sink, inside the program's call: the work itself is posted, so that the
  // program's request returns before the engine calls back.
  HRESULT OnRequestRecord(BSTR path);
  HRESULT OnRequestStop();

 private:
  LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  void OnConnectTimer();
  bool dojob_connect();
  void dojob_disconnect();
  void dojob_report_streams(bool in_call);
  void dojob_start_recording();
  void dojob_stop_recording();
  // Up to the frames the time since the start asks for, but at least at_least.
  void dojob_write_due_frames(int at_least);
  void log(const std::wstring& line) const;

  EngineSimOptions m_options;
  platform::HiddenWindow m_window;
  HWND m_wnd = nullptr;
  bool m_attached = false;
  bool m_in_call = false;
  DWORD m_connect_deadline = 0;
  IQelApp* m_app = nullptr;
  IQelUI* m_ui = nullptr;
  IConnectionPoint* m_point = nullptr;
  DWORD m_cookie = 0;
  EngineSink* m_sink = nullptr;
  std::wstring m_pending_path;
  AviWriter m_writer;
  std::wstring m_avi_path;
  int64_t m_start_time = 0;
  bool m_discard_next = false;
  DWORD m_start_tick = 0;
};
