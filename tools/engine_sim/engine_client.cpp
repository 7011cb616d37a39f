// Runs the engine stand-in without messenger windows: attaches to the program, starts a
// call and then waits. Tests drive it through its window (class "qel-engine-client"):
// WM_APP+1 starts a call, WM_APP+2 ends it, WM_APP+3 detaches, WM_APP+4 attaches again,
// WM_APP+5 shows (wParam 1) or hides (0) the program's tray icon, WM_CLOSE detaches and quits.
// Arguments: the "--engine-..." options, and --no-call to attach without starting a call.
#include <string>

#include "platform/win32/hidden_window.h"
#include "platform/win32/win.h"

#include <objbase.h>
#include <shellapi.h>

#include "tools/engine_sim/engine_sim.h"

namespace {

constexpr wchar_t kClass[] = L"qel-engine-client";
EngineSim* g_engine = nullptr;

LRESULT CALLBACK client_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_APP + 1:
      g_engine->StartCall();
      return 0;
    case WM_APP + 2:
      g_engine->EndCall();
      return 0;
    case WM_APP + 3:
      g_engine->Detach();
      return 0;
    case WM_APP + 4:
      g_engine->Attach(hwnd);
      return 0;
    case WM_APP + 5:
      g_engine->ShowTrayIcon(wparam != 0);
      return 0;
    case WM_CLOSE:
      g_engine->Detach();
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

// Top-level, so that tests find it by its class.
HWND create_control_window(platform::HiddenWindow* window) {
  return window->Create(kClass, WS_POPUP, nullptr, client_proc) ? window->hwnd() : nullptr;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
    return 2;
  EngineSimOptions options;
  bool start_call = true;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i < argc; ++i) {
    if (std::wstring(argv[i]) == L"--no-call")
      start_call = false;
    else
      engine_sim_parse_option(argv[i], &options);
  }
  LocalFree(argv);
  int code = 0;
  {
    EngineSim engine(options);
    g_engine = &engine;
    platform::HiddenWindow control;
    HWND wnd = create_control_window(&control);
    if (!wnd || !engine.Attach(wnd)) {
      code = 3;
    } else {
      if (start_call)
        engine.StartCall();
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    g_engine = nullptr;
  }
  CoUninitialize();
  return code;
}
