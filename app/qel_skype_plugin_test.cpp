#include "app/qel_skype_plugin.h"

#include <gtest/gtest.h>

#include "qel_lib/qel_assert_capture.h"

namespace {

struct Contexts {
  int start = -7;
  int plugin = -7;
};

Contexts parse(const char16_t* cmd_line) {
  Contexts c;
  EXPECT_TRUE(proc_args(cmd_line, &c.start, &c.plugin));
  return c;
}

TEST(CommandLine, StartContextWordsAreComparedWhole) {
  AssertCapture capture;
  EXPECT_EQ(parse(u"/start_context user_manual").start, QEL_START_CONTEXT_USER_MANUAL);
  EXPECT_EQ(parse(u"\"c:\\q.exe\" /start_context sys_auto").start, QEL_START_CONTEXT_SYS_AUTO);
  EXPECT_EQ(parse(u"/start_context user_manualx").start, QEL_START_CONTEXT_NONE);
  EXPECT_EQ(parse(u"/start_context User_Manual").start, QEL_START_CONTEXT_NONE);
  EXPECT_EQ(parse(u"/start_context sys_aut").start, QEL_START_CONTEXT_NONE);
  EXPECT_EQ(parse(u"").start, QEL_START_CONTEXT_NONE);
  EXPECT_EQ(parse(u"-Embedding").start, QEL_START_CONTEXT_NONE);
  EXPECT_EQ(capture.count(), 0u);
}

TEST(CommandLine, BlankMatchesAnyWhiteSpaceIncludingNone) {
  EXPECT_EQ(get_arg_value(u"/start_context \t\r\n sys_auto", u"start_context"), u"sys_auto");
  EXPECT_EQ(get_arg_value(u"/start_contextsys_auto", u"start_context"), u"sys_auto");
  // A longer option that begins with a known name hands its tail to the known one.
  EXPECT_EQ(get_arg_value(u"/start_context_extra 5", u"start_context"), u"_extra");
  EXPECT_EQ(get_arg_value(u"/start_context sys_auto\t/next", u"start_context"), u"sys_auto");
  EXPECT_EQ(get_arg_value(u"/start_context /start_context", u"start_context"), u"/start_context");
}

TEST(CommandLine, OptionNeedsItsSlashAndAValue) {
  EXPECT_EQ(get_arg_value(u"start_context sys_auto", u"start_context"), u"");
  EXPECT_EQ(get_arg_value(u"-start_context sys_auto", u"start_context"), u"");
  EXPECT_EQ(get_arg_value(u"/Start_context sys_auto", u"start_context"), u"");
  EXPECT_EQ(get_arg_value(u"/start_context", u"start_context"), u"");
  EXPECT_EQ(get_arg_value(u"/start_context   ", u"start_context"), u"");
  EXPECT_EQ(get_arg_value(u"/start_contex", u"start_context"), u"");
  EXPECT_EQ(get_arg_value(u"/", u"start_context"), u"");
  EXPECT_EQ(get_arg_value(u"/start_context x", u""), u"");
}

TEST(CommandLine, LaterOccurrencesAreTriedAfterFailedOnes) {
  EXPECT_EQ(get_arg_value(u"start_context a /start_context b", u"start_context"), u"b");
  EXPECT_EQ(get_arg_value(u"xstart_context a /start_context", u"start_context"), u"");
  EXPECT_EQ(get_arg_value(u"/start_context  /start_context c", u"start_context"),
            u"/start_context");
  EXPECT_EQ(get_arg_value(u"start_contextstart_context /start_context d", u"start_context"), u"d");
  EXPECT_EQ(get_arg_value(u"//start_context e", u"start_context"), u"e");
}

TEST(CommandLine, EmbeddedNulEndsTheCommandLine) {
  const char16_t text[] = u"/x\0/start_context sys_auto";
  EXPECT_EQ(parse(text).start, QEL_START_CONTEXT_NONE);
}

TEST(CommandLine, PluginContextTakesNonNegativeNumbers) {
  AssertCapture capture;
  EXPECT_EQ(parse(u"/skype_extra_context 8").plugin, 8);
  EXPECT_EQ(parse(u"/skype_extra_context 12abc").plugin, 12);
  EXPECT_EQ(parse(u"/skype_extra_context +3").plugin, 3);
  EXPECT_EQ(parse(u"/skype_extra_context -3").plugin, 0);
  EXPECT_EQ(parse(u"/skype_extra_context").plugin, 0);
  EXPECT_EQ(capture.count(), 0u);

  EXPECT_EQ(parse(u"/skype_extra_context abc").plugin, 0);
  EXPECT_EQ(parse(u"/skype_extra_context -").plugin, 0);
  ASSERT_EQ(capture.count(), 2u);
  EXPECT_TRUE(capture.Has("get_skype_plugin_open_context_type", "rtn == 1"));
  EXPECT_NE(capture.texts()[0].find("file ..\\qel_skype_plugin: line "), std::string::npos);
}

TEST(CommandLine, PluginNumberWrapsInsteadOfOverflowing) {
  EXPECT_EQ(get_skype_plugin_open_context_type(u"4294967304"), 8);
}

bool starts_automatically(const char16_t* cmd_line) {
  Contexts c = parse(cmd_line);
  return qel_is_started_automatically(c.start, c.plugin);
}

// Only the exact words start automatically: a start at logon that ends quietly when the
// user switched it off must not be triggered by a longer or different value.
TEST(CommandLine, WordsThatExtendAValidValueAreAManualStart) {
  AssertCapture capture;
  EXPECT_TRUE(starts_automatically(u"/start_context sys_auto"));
  EXPECT_FALSE(starts_automatically(u"/start_context sys_autox"));
  EXPECT_FALSE(starts_automatically(u"/start_context sys_auto_"));
  EXPECT_FALSE(starts_automatically(u"/start_context user_manualx"));
  EXPECT_FALSE(starts_automatically(u"/start_context xsys_auto"));
  EXPECT_EQ(parse(u"/start_context sys_autox").start, QEL_START_CONTEXT_NONE);
  EXPECT_EQ(parse(u"/start_context user_manualx").start, QEL_START_CONTEXT_NONE);
  EXPECT_EQ(capture.count(), 0u);
}

TEST(CommandLine, OnlyPluginContextEightIsAutomatic) {
  AssertCapture capture;
  EXPECT_TRUE(starts_automatically(u"/skype_extra_context 8"));
  EXPECT_FALSE(starts_automatically(u"/skype_extra_context 9"));
  EXPECT_FALSE(starts_automatically(u"/skype_extra_context 7"));
  EXPECT_FALSE(starts_automatically(u"/skype_extra_context 2147483647"));
  EXPECT_FALSE(starts_automatically(u"/skype_extra_context 80"));
  EXPECT_FALSE(starts_automatically(u"/skype_extra_context -8"));
  EXPECT_FALSE(starts_automatically(u"/skype_extra_context -2147483648"));
  EXPECT_EQ(parse(u"/skype_extra_context 2147483647").plugin, 2147483647);
  EXPECT_EQ(parse(u"/skype_extra_context -8").plugin, 0);
  EXPECT_EQ(capture.count(), 0u);
}

TEST(CommandLine, BothOptionsTogether) {
  Contexts c = parse(u"/skype_extra_context 8 /start_context user_manual");
  EXPECT_EQ(c.start, QEL_START_CONTEXT_USER_MANUAL);
  EXPECT_EQ(c.plugin, 8);
}

TEST(CommandLine, NullCommandLineIsRefused) {
  AssertCapture capture;
  int start = 5, plugin = 5;
  EXPECT_FALSE(proc_args(nullptr, &start, &plugin));
  EXPECT_TRUE(capture.Has("proc_args", "_cmd_line"));
}

TEST(CommandLine, AutomaticStartIsSysAutoOrPluginContextEight) {
  EXPECT_TRUE(qel_is_started_automatically(QEL_START_CONTEXT_SYS_AUTO, 0));
  EXPECT_TRUE(qel_is_started_automatically(QEL_START_CONTEXT_NONE, 8));
  EXPECT_TRUE(qel_is_started_automatically(QEL_START_CONTEXT_USER_MANUAL, 8));
  EXPECT_FALSE(qel_is_started_automatically(QEL_START_CONTEXT_USER_MANUAL, 0));
  EXPECT_FALSE(qel_is_started_automatically(QEL_START_CONTEXT_NONE, 7));
}

}  // namespace
