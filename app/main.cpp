// The program's entry point: the one application object and the framework's main.
#include "app/app.h"
#include "platform/win32/win.h"

namespace {
c_app the_app;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  return WkWinMain(instance, show_command);
}
