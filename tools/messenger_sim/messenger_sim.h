// A simulated messenger instance: hidden, top agent and main windows as the hook stand-in
// expects them, the recording engine inside, and the messages to the program's static
// window as its windows come and go.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/win.h"
#include "platform/win32/window_class.h"
#include "tools/messenger_sim/sim_engine_host.h"

class MessengerSim : public platform::WindowHandler {
 public:
  explicit MessengerSim(const std::vector<std::wstring>& args);
  ~MessengerSim();

  // Creates the windows (the main window unless "--no-main"); false when that fails.
  bool Create();
  LRESULT OnMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override {
    return OnMessage(hwnd, msg, wparam, lparam);
  }

 private:
  bool HasArg(const wchar_t* arg) const;
  void OnSetSink(HWND static_wnd, HWND reported_main);
  void OnAttach(HWND main_wnd);
  void OnDetach(HWND static_wnd);
  void OnControl(WPARAM command);
  void CreateMainWnd();
  void DestroyMainWnd();
  void Quit();
  void PaintMainWnd();
  // Posts the hook message of table entry `index` to the program, when it listens.
  void PostToSink(int index, HWND wparam, HWND lparam);
  void ShowState();

  std::vector<std::wstring> args_;
  SimEngineHost engine_;
  HWND hidden_ = nullptr;
  HWND top_agent_ = nullptr;
  HWND main_ = nullptr;
  HWND sink_ = nullptr;
  int attaches_ = 0;
  int detaches_ = 0;
  UINT set_sink_msg_ = 0;
  UINT attach_msg_ = 0;
  UINT detach_msg_ = 0;
  UINT control_msg_ = 0;
};
