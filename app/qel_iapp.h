// The framework's application base: one per process, reachable through gApp, owning the
// hidden application top window on which other processes ask it to shut down.
#pragma once

#include "platform/win32/hidden_window.h"
#include "platform/win32/win.h"
#include "qel_lib/qel_ptr.h"

class ZulIApp : public ZulIObject {
 public:
  ZulIApp();
  ~ZulIApp() override;

  // Finalizes and ends the process.
  virtual void Shutdown() = 0;
  // Sets gApp and creates the application top window.
  virtual bool Create();
  // Undoes Create; derived classes call it last.
  virtual void Finalize() = 0;

  bool IsValid() const { return mIsValid; }
  HWND GetAppTopWnd() const { return mHwndTop; }

 protected:
  bool mIsValid = false;
  HWND mHwndTop = nullptr;
  const char* mWndClassName = nullptr;
  platform::HiddenWindow m_top_window;

 private:
  void dojob_drop_gapp();
};

// The process's one application, held weakly; null while none exists.
extern weak_ptr<ZulIApp>* gApp;

// Registered id of WM_ZUL_SHUTDOWN_APP, 0 until RegisterWM succeeds.
extern UINT WM_ZUL_SHUTDOWN_APP;
// Registers WM_ZUL_SHUTDOWN_APP once; returns its id (0 on failure, reported).
UINT RegisterWM();

// A hidden, disabled popup of the class (registered on first use) whose messages go to the
// procedure: found by class name from other processes, never shown.
HWND create_hidden_top_wnd(platform::HiddenWindow* window, WNDPROC proc, const char* name);

LRESULT CALLBACK Proc_AppTopWnd(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
