#include "winkit/wk_command_line_info.h"

#include <gtest/gtest.h>

#include <string>

namespace {

WkCommandLineInfo parse(const wchar_t* cmd) {
  WkCommandLineInfo info;
  WkParseCommandLine(cmd, &info);
  return info;
}

TEST(WkCommandLineInfo, RegisterSwitchesAfterSlashOrDash) {
  EXPECT_EQ(parse(L"q.exe /Regserver").m_nShellCommand, WkCommandLineInfo::kAppRegister);
  EXPECT_EQ(parse(L"q.exe -register").m_nShellCommand, WkCommandLineInfo::kAppRegister);
  EXPECT_EQ(parse(L"q.exe /UNREGSERVER").m_nShellCommand, WkCommandLineInfo::kAppUnregister);
  EXPECT_EQ(parse(L"q.exe -Unregister").m_nShellCommand, WkCommandLineInfo::kAppUnregister);
  // The last request wins.
  EXPECT_EQ(parse(L"q.exe /Regserver /Unregserver").m_nShellCommand,
            WkCommandLineInfo::kAppUnregister);
}

TEST(WkCommandLineInfo, EverythingElseIsANormalStart) {
  for (const wchar_t* cmd :
       {L"q.exe", L"q.exe Regserver", L"q.exe /Regserverx", L"q.exe /start_context sys_auto",
        L"\"c:\\a b\\q.exe\" -Embedding", L"/Regserver", L""}) {
    EXPECT_EQ(parse(cmd).m_nShellCommand, WkCommandLineInfo::kNormalStart)
        << testing::PrintToString(std::wstring(cmd));
  }
  EXPECT_TRUE(parse(L"q.exe -Embedding").m_bRunEmbedded);
  EXPECT_FALSE(parse(L"q.exe Embedding").m_bRunEmbedded);
}

TEST(WkCommandLineInfo, ArgumentsStartAfterTheProgramName) {
  EXPECT_STREQ(WkSkipProgramName(L"q.exe /a b"), L"/a b");
  EXPECT_STREQ(WkSkipProgramName(L"\"c:\\my dir\\q.exe\"   /a"), L"/a");
  EXPECT_STREQ(WkSkipProgramName(L"\"c:\\my dir\\q.exe\"\t/a"), L"/a");
  EXPECT_STREQ(WkSkipProgramName(L"q.exe"), L"");
  EXPECT_STREQ(WkSkipProgramName(L"\"unterminated /a"), L"");
  EXPECT_STREQ(WkSkipProgramName(nullptr), L"");
}

}  // namespace
