// What the shell opens for http addresses while a test runs: the browser stand-in takes the
// place of the web browser in the registry and reports each address it is started with.
#pragma once

#include <string>

#include "platform/win32/win.h"

class ShellBrowserCapture {
 public:
  // browser_exe: the stand-in's path as Windows sees it.
  explicit ShellBrowserCapture(const std::wstring& browser_exe);
  // Puts the handler that was there back.
  ~ShellBrowserCapture();
  ShellBrowserCapture(const ShellBrowserCapture&) = delete;
  ShellBrowserCapture& operator=(const ShellBrowserCapture&) = delete;

  bool installed() const { return installed_; }
  // The address of the next start of the browser, or empty when none came in time. The
  // thread's messages are handled while waiting.
  std::string Wait(DWORD timeout_ms = 10000);

 private:
  std::wstring out_;
  std::wstring previous_;
  bool had_previous_ = false;
  bool installed_ = false;
};

// A path of the build (a Linux path) as the Windows programs see it.
std::wstring WkWindowsPath(const std::string& linux_path);
