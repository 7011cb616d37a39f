#include "tools/messenger_sim/messenger_sim.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "messenger/qel_hook_contract.h"
#include "tools/hook/qel_msn_hook_protocol.h"

namespace {

std::wstring widen(const char* ascii) {
  return std::wstring(ascii, ascii + strlen(ascii));
}

bool register_class(const char* name) {
  platform::WindowClassLook look;
  look.background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  look.cursor = LoadCursor(nullptr, IDC_ARROW);
  return platform::register_window_class(widen(name).c_str(), look);
}

HWND create_hidden(platform::WindowHandler* handler, const char* class_name) {
  return platform::create_window(handler, 0, widen(class_name).c_str(), L"", WS_POPUP, RECT{},
                                 nullptr, nullptr);
}

}  // namespace

MessengerSim::MessengerSim(const std::vector<std::wstring>& args) : args_(args), engine_(args) {}

// The windows' messages come here: they must not outlive this object.
MessengerSim::~MessengerSim() {
  for (HWND* wnd : {&main_, &hidden_, &top_agent_}) {
    if (*wnd)
      DestroyWindow(*wnd);
    *wnd = nullptr;
  }
}

bool MessengerSim::HasArg(const wchar_t* arg) const {
  for (const std::wstring& a : args_)
    if (a == arg)
      return true;
  return false;
}

bool MessengerSim::Create() {
  set_sink_msg_ = RegisterWindowMessageA(kSimSetSinkMsg);
  attach_msg_ = RegisterWindowMessageA(kSimAttachMsg);
  detach_msg_ = RegisterWindowMessageA(kSimDetachMsg);
  control_msg_ = RegisterWindowMessageA(kSimControlMsg);
  if (!register_class(kSimHiddenClass) || !register_class(kSimTopAgentClass) ||
      !register_class(kSimMainClass))
    return false;
  // The main window first: the hook finds the instance by its hidden window and may report
  // it at once, main window included.
  if (!HasArg(L"--no-main"))
    CreateMainWnd();
  if (HasArg(L"--call"))
    engine_.StartCall();
  top_agent_ = create_hidden(this, kSimTopAgentClass);
  hidden_ = create_hidden(this, kSimHiddenClass);
  ShowState();
  return hidden_ && top_agent_;
}

LRESULT MessengerSim::OnMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_PAINT && hwnd == main_) {
    PaintMainWnd();
    return 0;
  }
  if (msg == set_sink_msg_ && hwnd == hidden_)
    OnSetSink(reinterpret_cast<HWND>(wparam), reinterpret_cast<HWND>(lparam));
  else if (msg == control_msg_ && hwnd == hidden_)
    OnControl(wparam);
  else if (msg == attach_msg_ && hwnd == top_agent_)
    OnAttach(reinterpret_cast<HWND>(wparam));
  else if (msg == detach_msg_ && hwnd == top_agent_)
    OnDetach(reinterpret_cast<HWND>(wparam));
  else if (msg == WM_CLOSE && hwnd == main_)
    DestroyMainWnd();
  else
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  ShowState();
  return 0;
}

// The program now listens: it learns the hidden and top agent windows first, then of a main
// window made since it was told of the instance, which nothing announced while no one listened.
void MessengerSim::OnSetSink(HWND static_wnd, HWND reported_main) {
  sink_ = static_wnd;
  PostToSink(kHookWmHiddenKnown, hidden_, top_agent_);
  if (main_ && main_ != reported_main)
    PostToSink(kHookWmMainCreated, main_, nullptr);
}

// Attached to the main window, the instance reports it as known.
void MessengerSim::OnAttach(HWND main_wnd) {
  if (!main_wnd || main_wnd != main_)
    return;
  engine_.Attach(main_wnd);
  ++attaches_;
  PostToSink(kHookWmMainKnown, main_wnd, top_agent_);
}

// The engine's calls to the program may pump messages: the count shows once it is done.
void MessengerSim::OnDetach(HWND static_wnd) {
  engine_.Detach();
  ++detaches_;
  if (static_wnd == sink_)
    sink_ = nullptr;
}

void MessengerSim::OnControl(WPARAM command) {
  switch (command) {
    case kSimMainCreate:
      CreateMainWnd();
      break;
    case kSimMainDestroy:
      DestroyMainWnd();
      break;
    case kSimStartCall:
      engine_.StartCall();
      break;
    case kSimEndCall:
      engine_.EndCall();
      break;
    case kSimQuit:
      Quit();
      break;
    case kSimDiscardNext:
      engine_.DiscardWithNextStop();
      break;
  }
}

void MessengerSim::CreateMainWnd() {
  if (main_)
    return;
  main_ = platform::create_window(this, 0, widen(kSimMainClass).c_str(), L"Messenger Simulator",
                                  WS_OVERLAPPEDWINDOW, RECT{690, 40, 1010, 280}, nullptr, nullptr);
  if (!main_)
    return;
  ShowWindow(main_, HasArg(L"--hide-main") ? SW_HIDE : SW_SHOWNOACTIVATE);
  if (sink_)
    PostToSink(kHookWmMainCreated, main_, nullptr);
}

void MessengerSim::DestroyMainWnd() {
  if (!main_)
    return;
  if (engine_.attached() == main_)
    engine_.Detach();
  DestroyWindow(main_);
  main_ = nullptr;
  PostToSink(kHookWmMainGone, nullptr, nullptr);
}

void MessengerSim::Quit() {
  PostToSink(kHookWmInstanceEnded, nullptr, nullptr);
  sink_ = nullptr;
  engine_.Detach();
  PostQuitMessage(0);
}

void MessengerSim::PostToSink(int index, HWND wparam, HWND lparam) {
  if (sink_)
    PostMessageA(sink_, qel_hook_stand_in_wm(index), reinterpret_cast<WPARAM>(wparam),
                 reinterpret_cast<LPARAM>(lparam));
}

// What a person watching the demonstration wants to know.
void MessengerSim::PaintMainWnd() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(main_, &ps);
  RECT rc;
  GetClientRect(main_, &rc);
  InflateRect(&rc, -12, -12);
  std::string text = "Simulated messenger\n\n";
  text += engine_.in_call() ? "A video call is running.\n" : "No call.\n";
  text += engine_.attached() == main_ ? "The recording engine is attached to this window."
                                      : "The recording engine is not attached yet.";
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, text.c_str(), -1, &rc, DT_LEFT | DT_WORDBREAK);
  EndPaint(main_, &ps);
}

void MessengerSim::ShowState() {
  if (main_)
    InvalidateRect(main_, nullptr, TRUE);
  if (!hidden_)
    return;
  char state[256];
  std::snprintf(state, sizeof state, kSimStateFormat, static_cast<void*>(sink_), attaches_,
                detaches_, static_cast<void*>(main_), static_cast<void*>(engine_.attached()));
  SetWindowTextA(hidden_, state);
}
