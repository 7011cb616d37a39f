// The switches every program of this kind understands on its command line: register or
// unregister the COM server; anything else ("Embedding" from COM included) is a normal start.
#pragma once

#include "platform/win32/win.h"

class WkCommandLineInfo {
 public:
  enum ShellCommand { kNormalStart, kAppRegister, kAppUnregister };

  virtual ~WkCommandLineInfo() = default;

  // One argument; flag is true when it was written after "/" or "-" (which are removed).
  virtual void ParseParam(const wchar_t* param, bool flag, bool last);

  ShellCommand m_nShellCommand = kNormalStart;
  bool m_bRunEmbedded = false;
};

// Splits a full command line (program name first) and feeds every argument after the
// program name to info.
void WkParseCommandLine(const wchar_t* command_line, WkCommandLineInfo* info);

// The arguments part of a full command line: after the program name and its white space.
const wchar_t* WkSkipProgramName(const wchar_t* command_line);
