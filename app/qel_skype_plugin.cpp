// The command-line parser: the start context ("/start_context") and the messenger plug-in's
// context number ("/skype_extra_context"), and whether they mean a start at logon.
#include "app/qel_skype_plugin.h"

#include <cstdint>

#include "qel_lib/qel_assert.h"

namespace {

// White space as the C locale's iswspace sees it.
bool is_space(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// Matches "/<name> %n%*s%n" at the start of text with scanf's rules: the blank takes any
// run of white space (also none), %*s skips white space and then needs at least one other
// character. On success *word is the text between the two %n positions.
bool match_option(std::u16string_view text, std::u16string_view name, std::u16string_view* word) {
  if (text.size() < name.size() + 1 || text[0] != u'/')
    return false;
  if (text.substr(1, name.size()) != name)
    return false;
  size_t pos = 1 + name.size();
  while (pos < text.size() && is_space(text[pos]))
    ++pos;
  size_t first = pos;
  while (pos < text.size() && !is_space(text[pos]))
    ++pos;
  if (pos == first)
    return false;
  *word = text.substr(first, pos - first);
  return true;
}

}  // namespace

std::u16string get_arg_value(std::u16string_view cmd_line, std::u16string_view name) {
  if (name.empty())
    return {};
  size_t from = 0;
  for (;;) {
    size_t at = cmd_line.find(name, from);
    if (at == std::u16string_view::npos)
      return {};
    // A name at the very start has no slash before it and so cannot match.
    std::u16string_view word;
    if (at > 0 && match_option(cmd_line.substr(at - 1), name, &word))
      return std::u16string(word);
    from = at + name.size();
  }
}

int get_skype_plugin_open_context_type(std::u16string_view text) {
  size_t pos = 0;
  while (pos < text.size() && is_space(text[pos]))
    ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+'))
    negative = text[pos++] == u'-';
  // Digits beyond 32 bits wrap, as the runtime's %d does; unsigned keeps that defined.
  uint32_t value = 0;
  size_t digits = 0;
  for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos, ++digits)
    value = value * 10 + static_cast<uint32_t>(text[pos] - u'0');
  int rtn = digits > 0 ? 1 : 0;
  if (!QEL_ASSERT(rtn == 1))
    return -1;
  return static_cast<int>(negative ? 0u - value : value);
}

bool proc_args(const char16_t* cmd_line, int* start_context, int* plugin_context) {
  if (!QEL_ASSERT_MSG(cmd_line, "_cmd_line"))
    return false;
  *start_context = QEL_START_CONTEXT_NONE;
  *plugin_context = 0;
  std::u16string_view text(cmd_line);

  std::u16string start = get_arg_value(text, u"start_context");
  if (start == u"user_manual")
    *start_context = QEL_START_CONTEXT_USER_MANUAL;
  else if (start == u"sys_auto")
    *start_context = QEL_START_CONTEXT_SYS_AUTO;

  std::u16string extra = get_arg_value(text, u"skype_extra_context");
  if (!extra.empty()) {
    int type = get_skype_plugin_open_context_type(extra);
    if (type >= 0)
      *plugin_context = type;
  }
  return true;
}

bool qel_is_started_automatically(int start_context, int plugin_context) {
  return start_context == QEL_START_CONTEXT_SYS_AUTO ||
         plugin_context == QEL_PLUGIN_CONTEXT_AUTO_START;
}
