// How often a program wakes up and how much CPU it takes while nobody uses it, read from the
// host's process table (Wine runs each Windows process as a host process): every timer
// message and every posted message wakes one of its threads.
#pragma once

#include <string>

#include "platform/win32/win.h"
#include "tools/soak/soak_plan.h"

class IdleRates {
 public:
  // `image` is the program's file name as its command line shows it.
  explicit IdleRates(std::wstring image) : image_(std::move(image)) {}
  // Watches for `ms` and returns "idle wakeups/s" and "idle CPU ms/s"; n/a when the host's
  // process table cannot be read.
  SoakSample Measure(DWORD ms);

 private:
  struct Reading {
    double switches = 0;
    double cpu_ticks = 0;
  };
  bool Find();
  bool Read(Reading* out) const;

  std::wstring image_;
  std::wstring proc_dir_;
};
