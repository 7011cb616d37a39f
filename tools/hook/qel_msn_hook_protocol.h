// How the hook stand-in, the messenger simulator and the tests that drive them talk: window
// classes the simulator registers, and the registered messages between the three.
#pragma once

#include <cstdio>

#include "platform/win32/win.h"

// The simulator's top-level windows; the hook finds instances by the hidden window's class.
inline constexpr char kSimHiddenClass[] = "QelMessengerSim.Hidden";
inline constexpr char kSimTopAgentClass[] = "QelMessengerSim.TopAgent";
inline constexpr char kSimMainClass[] = "QelMessengerSim.Main";

// The names of the hook's 14 message ids; "%02d" is the table position.
inline constexpr char kHookWmNameFormat[] = "QelMsnHook.Message%02d";

inline UINT qel_hook_stand_in_wm(int index) {
  char name[64];
  std::snprintf(name, sizeof name, kHookWmNameFormat, index);
  return RegisterWindowMessageA(name);
}

// Hook -> simulator's hidden window: wParam is the static window to post messages to, lParam
// the main window the program was told of with the instance (null when none).
inline constexpr char kSimSetSinkMsg[] = "QelMsnHook.SetSink";
// Hook -> simulator's top agent window: attach the engine, wParam main window, lParam static.
inline constexpr char kSimAttachMsg[] = "QelMsnHook.Attach";
// Hook -> simulator's top agent window: detach the engine, wParam static window.
inline constexpr char kSimDetachMsg[] = "QelMsnHook.Detach";

// Anyone -> simulator's hidden window: wParam is one of the commands below.
inline constexpr char kSimControlMsg[] = "QelMessengerSim.Control";
enum SimCommand : WPARAM {
  kSimMainCreate = 1,
  kSimMainDestroy = 2,
  kSimStartCall = 3,
  kSimEndCall = 4,
  kSimQuit = 5,
  // The engine's next stopped recording also hands back a temporary file to discard.
  kSimDiscardNext = 6,
};

// The simulator shows its state in the hidden window's title, for tests in other processes.
inline constexpr char kSimStateFormat[] = "sink=%p attaches=%d detaches=%d main=%p attached=%p";
