// The one application object of the process: start-up and tear-down hooks around the
// message loop, and the main window. WkWinMain drives it from WinMain.
#pragma once

#include <vector>

#include "platform/win32/win.h"

class WkFrameWnd;

class WkApp {
 public:
  // The process has one application object; it registers itself here.
  WkApp();
  WkApp(const WkApp&) = delete;
  WkApp& operator=(const WkApp&) = delete;
  virtual ~WkApp();

  static WkApp* Current();

  // False ends the process: ExitInstance runs and the loop never starts.
  virtual bool InitInstance() { return true; }
  // Returns the process exit code (the WM_QUIT code by default).
  virtual int ExitInstance() { return m_exit_code; }
  // Runs the message loop until WM_QUIT, then ExitInstance.
  virtual int Run();
  // True when the message was consumed (by the main window's pre-translation or a modeless
  // dialog) and must not be dispatched.
  virtual bool PreTranslateMessage(MSG* msg);

  // Modeless dialogs get their keyboard navigation from the loop.
  void AddModelessDialog(HWND dialog);
  void RemoveModelessDialog(HWND dialog);

  HINSTANCE m_hInstance = nullptr;
  // The arguments after the program name.
  const wchar_t* m_lpCmdLine = L"";
  int m_nCmdShow = SW_SHOWDEFAULT;
  WkFrameWnd* m_pMainWnd = nullptr;

 protected:
  int m_exit_code = 0;

 private:
  std::vector<HWND> m_dialogs;
};

// Registers the common control classes (list view, status bar, tooltips...) once.
bool WkInitCommonControls();
// Initialises the application object, runs its loop and returns the exit code.
int WkWinMain(HINSTANCE instance, int show_command);
