#include "qel_lib/qel_assert.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/message_box.h"

namespace {

constexpr size_t kMaxReport = 4000;

void show_in_message_box(const char* text) {
  platform::message_box(text, "Error", platform::kMbOk);
}

QelAssertSink g_sink = show_in_message_box;

}  // namespace

QelAssertSink qel_set_assert_sink(QelAssertSink sink) {
  QelAssertSink old = g_sink;
  g_sink = sink ? sink : show_in_message_box;
  return old;
}

void qel_assert_report(const char* fmt, ...) {
  char buf[kMaxReport + 1];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, args);  // cuts longer text
  va_end(args);
  g_sink(buf);
}

std::string qel_report_file_name(const char* file) {
  const char* base = file;
  for (const char* p = file; *p; ++p)
    if (*p == '/' || *p == '\\')
      base = p + 1;
  std::string name(base);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0)
    name.resize(dot);
  return "..\\" + name;
}

std::string qel_qualified_function_name(const char* pretty) {
  std::string s(pretty);
  size_t with = s.find(" [with ");
  if (with != std::string::npos)
    s.resize(with);
  // The parameter list starts at the first '(' outside template brackets, skipping the
  // parentheses of "operator()".
  int depth = 0;
  size_t paren = std::string::npos;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '<')
      ++depth;
    if (c == '>' && depth > 0)
      --depth;
    if (c == '(' && depth == 0) {
      if (i >= 8 && s.compare(i - 8, 8, "operator") == 0 && i + 1 < s.size() && s[i + 1] == ')') {
        ++i;
        continue;
      }
      paren = i;
      break;
    }
  }
  std::string head = s.substr(0, paren);
  depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < head.size(); ++i) {
    char c = head[i];
    if (c == '<')
      ++depth;
    if (c == '>' && depth > 0)
      --depth;
    if (c == ' ' && depth == 0 && !(i >= 8 && head.compare(i - 8, 8, "operator") == 0))
      start = i + 1;
  }
  std::string name = head.substr(start);
  // The reports name assignment operators as "X::operator =".
  size_t op = name.rfind("::operator=");
  if (op != std::string::npos && op + 11 == name.size())
    name = name.substr(0, op + 10) + " =";
  return name;
}

void qel_assert_failed(const char* file,
                       int line,
                       const char* pretty_function,
                       const char* expression) {
  qel_assert_report("file %s: line %d: function %s:\n assertion `%s' failed",
                    qel_report_file_name(file).c_str(), line,
                    qel_qualified_function_name(pretty_function).c_str(), expression);
}
