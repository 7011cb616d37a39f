// The recording engine inside the simulated messenger, attached to one main window at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/win.h"

class EngineSim;

class SimEngineHost {
 public:
  // `args` are the command-line words; the engine takes the "--engine-..." ones.
  explicit SimEngineHost(const std::vector<std::wstring>& args);
  ~SimEngineHost();

  void Attach(HWND main_wnd);
  void Detach();
  void StartCall();
  void EndCall();
  void DiscardWithNextStop();
  HWND attached() const { return attached_; }
  bool in_call() const { return in_call_; }

 private:
  HWND attached_ = nullptr;
  bool in_call_ = false;
  std::unique_ptr<EngineSim> engine_;
};
