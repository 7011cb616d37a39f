// messenger_sim.exe: a simulated messenger instance for tests and demonstrations.
//   --call        start with a call running
//   --no-main     start without a main window (create it later with a control message)
//   --hide-main   keep the main window hidden
//   --engine-...  options of the recording engine inside
#include <string>
#include <vector>

#include "platform/win32/win.h"
#include "tools/messenger_sim/messenger_sim.h"

#include <objbase.h>
#include <shellapi.h>

namespace {

std::vector<std::wstring> command_line_args() {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args;
  for (int i = 1; i < count; ++i)
    args.emplace_back(argv[i]);
  LocalFree(argv);
  return args;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The engine is a COM client on this thread.
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int code = 1;
  {
    MessengerSim sim(command_line_args());
    if (sim.Create()) {
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      code = static_cast<int>(msg.wParam);
    }
  }
  if (SUCCEEDED(hr))
    CoUninitialize();
  return code;
}
