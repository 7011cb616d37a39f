// The start options a command line carries: how the program was started ("start_context")
// and the context number a messenger plug-in passes ("skype_extra_context").
#pragma once

#include <string>
#include <string_view>

enum qel_start_context : int {
  QEL_START_CONTEXT_NONE = 0,
  QEL_START_CONTEXT_SYS_AUTO = 1,
  QEL_START_CONTEXT_USER_MANUAL = 2,
};

// The plug-in context that stands for a start at logon.
constexpr int QEL_PLUGIN_CONTEXT_AUTO_START = 8;

// The word after "/<name>" and optional white space, scanf-style; empty when absent.
std::u16string get_arg_value(std::u16string_view cmd_line, std::u16string_view name);

// "%d" over the text; -1 when nothing could be read (reported).
int get_skype_plugin_open_context_type(std::u16string_view text);

// Reads both options from a NUL-terminated command line. False (reported) for null.
bool proc_args(const char16_t* cmd_line, int* start_context, int* plugin_context);

// A start at logon rather than by the user.
bool qel_is_started_automatically(int start_context, int plugin_context);
