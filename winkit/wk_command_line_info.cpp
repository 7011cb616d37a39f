#include "winkit/wk_command_line_info.h"

#include <shellapi.h>

void WkCommandLineInfo::ParseParam(const wchar_t* param, bool flag, bool last) {
  if (!flag)
    return;
  if (lstrcmpiW(param, L"Regserver") == 0 || lstrcmpiW(param, L"Register") == 0)
    m_nShellCommand = kAppRegister;
  else if (lstrcmpiW(param, L"Unregserver") == 0 || lstrcmpiW(param, L"Unregister") == 0)
    m_nShellCommand = kAppUnregister;
  else if (lstrcmpiW(param, L"Embedding") == 0)
    m_bRunEmbedded = true;
}

void WkParseCommandLine(const wchar_t* command_line, WkCommandLineInfo* info) {
  if (!command_line || !*command_line)
    return;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(command_line, &argc);
  if (!argv)
    return;
  for (int i = 1; i < argc; ++i) {
    const wchar_t* arg = argv[i];
    bool flag = arg[0] == L'/' || arg[0] == L'-';
    info->ParseParam(flag ? arg + 1 : arg, flag, i == argc - 1);
  }
  LocalFree(argv);
}

const wchar_t* WkSkipProgramName(const wchar_t* command_line) {
  if (!command_line)
    return L"";
  const wchar_t* p = command_line;
  // The program name ends at the first blank outside quotes, as the C runtime reads it.
  bool quoted = false;
  for (; *p; ++p) {
    if (*p == L'"')
      quoted = !quoted;
    else if (!quoted && (*p == L' ' || *p == L'\t'))
      break;
  }
  while (*p == L' ' || *p == L'\t')
    ++p;
  return p;
}
