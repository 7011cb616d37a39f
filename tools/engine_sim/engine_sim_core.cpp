#include "tools/engine_sim/engine_sim_core.h"

#include <cstdio>
#include <ctime>

#include "tools/engine_sim/engine_sink.h"

namespace {

constexpr wchar_t kWndClass[] = L"qel-engine-sim-msg";
constexpr UINT kMsgStartRecording = WM_APP + 1;
constexpr UINT kMsgStopRecording = WM_APP + 2;
constexpr UINT_PTR kConnectTimer = 1;
constexpr UINT_PTR kFrameTimer = 2;
constexpr UINT kFramePeriodMs = 200;
constexpr UINT kConnectPeriodMs = 250;
constexpr DWORD kConnectForMs = 15000;
constexpr int kMinFrames = AviWriter::kFps;
constexpr int kMaxFrames = AviWriter::kFps * 60;

// {2D2E40D2-0595-4697-B889-A87AB4250109}
const CLSID kClsidApp = {0x2d2e40d2,
                         0x0595,
                         0x4697,
                         {0xb8, 0x89, 0xa8, 0x7a, 0xb4, 0x25, 0x01, 0x09}};

template <class T>
void release(T*& p) {
  if (p)
    p->Release();
  p = nullptr;
}

}  // namespace

EngineSimCore::EngineSimCore(const EngineSimOptions& options) : m_options(options) {}

EngineSimCore::~EngineSimCore() {
  Detach();
  m_window.Destroy();
}

void EngineSimCore::log(const std::wstring& line) const {
  if (m_options.log_path.empty())
    return;
  std::wstring text = line + L"\n";
  int n =
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), utf8.data(), n, nullptr, nullptr);
  if (std::FILE* f = _wfopen(m_options.log_path.c_str(), L"ab")) {
    std::fwrite(utf8.data(), 1, utf8.size(), f);
    std::fclose(f);
  }
}

bool EngineSimCore::Attach(HWND) {
  // The interfaces are marshaled by the proxy/stub linked in here, registered once per
  // process, so the engine needs no Interface keys in the registry.
  if (!m_options.registered_ps) {
    static const HRESULT ps_registered = qel_register_ps_in_process();
    if (FAILED(ps_registered))
      return false;
  }
  if (!m_wnd) {
    m_window.Create(kWndClass, 0, HWND_MESSAGE,
                    [this](HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
                      return OnMessage(hwnd, msg, wparam, lparam);
                    });
    m_wnd = m_window.hwnd();
    if (!m_wnd)
      return false;
  }
  if (m_attached)
    return true;
  m_attached = true;
  m_connect_deadline = GetTickCount() + kConnectForMs;
  SetTimer(m_wnd, kConnectTimer, kConnectPeriodMs, nullptr);
  OnConnectTimer();
  return true;
}

LRESULT EngineSimCore::OnMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_TIMER && wparam == kConnectTimer) {
    OnConnectTimer();
    return 0;
  }
  if (msg == WM_TIMER && wparam == kFrameTimer) {
    dojob_write_due_frames(0);
    return 0;
  }
  if (msg == kMsgStartRecording) {
    dojob_start_recording();
    return 0;
  }
  if (msg == kMsgStopRecording) {
    dojob_stop_recording();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

void EngineSimCore::OnConnectTimer() {
  if (!m_attached || m_ui || dojob_connect()) {
    KillTimer(m_wnd, kConnectTimer);
    return;
  }
  if (static_cast<LONG>(GetTickCount() - m_connect_deadline) >= 0) {
    KillTimer(m_wnd, kConnectTimer);
    log(L"connect_failed");
  }
}

// The program may still be starting: E_NOINTERFACE, REGDB_E_CLASSNOTREG and
// CO_E_SERVER_EXEC_FAILURE are retried by the timer until the deadline.
bool EngineSimCore::dojob_connect() {
  HRESULT hr = CoCreateInstance(kClsidApp, nullptr, CLSCTX_LOCAL_SERVER, IID_IQelApp,
                                reinterpret_cast<void**>(&m_app));
  if (SUCCEEDED(hr))
    hr = m_app->GetUI(&m_ui);
  if (SUCCEEDED(hr) && !m_ui)
    hr = E_FAIL;
  IConnectionPointContainer* container = nullptr;
  if (SUCCEEDED(hr))
    hr = m_ui->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
  if (SUCCEEDED(hr))
    hr = container->FindConnectionPoint(IID_IQelUIEvents, &m_point);
  release(container);
  if (SUCCEEDED(hr)) {
    m_sink = new EngineSink(this);
    hr = m_point->Advise(m_sink, &m_cookie);
  }
  if (FAILED(hr)) {
    dojob_disconnect();
    return false;
  }
  log(L"connected");
  if (m_in_call)
    dojob_report_streams(true);
  return true;
}

void EngineSimCore::dojob_disconnect() {
  if (m_point && m_cookie)
    m_point->Unadvise(m_cookie);
  m_cookie = 0;
  if (m_sink)
    m_sink->Detach();
  release(m_sink);
  release(m_point);
  release(m_ui);
  release(m_app);
}

void EngineSimCore::dojob_report_streams(bool in_call) {
  if (!m_ui)
    return;
  m_ui->SetWebcamStreams(in_call ? m_options.webcam_local : 0,
                         in_call ? m_options.webcam_remote : 0);
  m_ui->SetAudioStreams(in_call ? m_options.audio_first : 0, in_call ? m_options.audio_second : 0);
  log(in_call ? L"streams" : L"streams_cleared");
}

void EngineSimCore::StartCall() {
  m_in_call = true;
  dojob_report_streams(true);
}

void EngineSimCore::EndCall() {
  dojob_stop_recording();
  m_in_call = false;
  dojob_report_streams(false);
}

void EngineSimCore::ShowTrayIcon(bool show) {
  if (!m_ui)
    return;
  HRESULT hr = m_ui->ShowTrayIcon(show ? TRUE : FALSE);
  log(std::wstring(show ? L"tray_shown " : L"tray_hidden ") + (SUCCEEDED(hr) ? L"ok" : L"failed"));
}

void EngineSimCore::Detach() {
  dojob_stop_recording();
  if (m_wnd)
    KillTimer(m_wnd, kConnectTimer);
  m_attached = false;
  if (m_ui)
    log(L"detached");
  dojob_disconnect();
}

HRESULT EngineSimCore::OnRequestRecord(BSTR path) {
  log(L"request_record " + std::wstring(path ? path : L""));
  if (m_options.fail_request)
    return E_FAIL;
  // Without a call, or already recording, there is nothing to take.
  if (!m_in_call || m_writer.is_open() || !path || !*path)
    return S_FALSE;
  m_pending_path = path;
  PostMessageW(m_wnd, kMsgStartRecording, 0, 0);
  return S_OK;
}

HRESULT EngineSimCore::OnRequestStop() {
  log(L"request_stop");
  PostMessageW(m_wnd, kMsgStopRecording, 0, 0);
  return S_OK;
}

void EngineSimCore::dojob_start_recording() {
  if (!m_ui || m_pending_path.empty() || m_writer.is_open())
    return;
  std::wstring path = m_pending_path + L".avi";
  m_pending_path.clear();
  int reason = m_options.start_failed_reason;
  if (reason < 0 && !m_writer.Open(path, m_options.width, m_options.height))
    reason = 1;
  if (reason >= 0) {
    m_ui->OnRecordStartFailed(reason);
    log(L"start_failed " + std::to_wstring(reason));
    return;
  }
  m_avi_path = path;
  m_start_time = static_cast<int64_t>(std::time(nullptr));
  m_start_tick = GetTickCount();
  SetTimer(m_wnd, kFrameTimer, kFramePeriodMs, nullptr);
  m_ui->OnRecordStarted();
  log(L"started " + std::to_wstring(m_start_time));
}

void EngineSimCore::dojob_stop_recording() {
  if (!m_writer.is_open())
    return;
  KillTimer(m_wnd, kFrameTimer);
  dojob_write_due_frames(kMinFrames);
  bool saved = m_writer.Close();
  // The engine keeps a temporary file while recording; it is handed back for disposal.
  std::wstring discard = m_avi_path + L".discard.tmp";
  bool has_discard = false;
  bool discard_now = m_options.discard || m_discard_next;
  m_discard_next = false;
  if (discard_now) {
    if (std::FILE* f = _wfopen(discard.c_str(), L"wb")) {
      has_discard = std::fputs("temporary", f) >= 0;
      std::fclose(f);
    }
  }
  BSTR save_path = SysAllocString(m_avi_path.c_str());
  BSTR del_path = SysAllocString(discard.c_str());
  BSTR* save_list[] = {&save_path};
  BSTR* del_list[] = {&del_path};
  if (m_ui) {
    m_ui->OnRecordStopped(saved ? 1 : 0, save_list, has_discard ? 1 : 0, del_list, m_start_time);
  }
  SysFreeString(save_path);
  SysFreeString(del_path);
  log(L"stopped " + m_avi_path + (has_discard ? L" " + discard : L""));
}

// Frames are written as they fall due, so that an engine that dies leaves what it recorded.
void EngineSimCore::dojob_write_due_frames(int at_least) {
  DWORD elapsed = GetTickCount() - m_start_tick;
  int due = static_cast<int>(uint64_t(elapsed) * AviWriter::kFps / 1000);
  due = due < at_least ? at_least : due > kMaxFrames ? kMaxFrames : due;
  while (m_writer.is_open() && m_writer.frames() < due && m_writer.WriteFrame()) {
  }
  m_writer.Flush();
}
