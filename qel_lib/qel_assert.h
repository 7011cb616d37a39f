// The assertion reporter: every precondition check of the program reports through it and
// the caller then returns its failure value. Reports show a message box captioned "Error";
// tests replace the sink to read the text instead.
#pragma once

#include <string>

// Formats printf-style into at most 4000 characters and hands the text to the sink.
void qel_assert_report(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Reports "file ..\name: line N: function Class::Func:\n assertion `expr' failed".
void qel_assert_failed(const char* file,
                       int line,
                       const char* pretty_function,
                       const char* expression);

// "bool c_quorvantine_app::Create(const char16_t*)" -> "c_quorvantine_app::Create".
std::string qel_qualified_function_name(const char* pretty_function);
// "/src/app/qel_app.cpp" -> "..\qel_app".
std::string qel_report_file_name(const char* file);

using QelAssertSink = void (*)(const char* text);
// Replaces the sink (null restores the message box); returns the previous one.
QelAssertSink qel_set_assert_sink(QelAssertSink sink);

#if defined(__GNUC__)
#define QEL_FUNCTION __PRETTY_FUNCTION__
#else
#define QEL_FUNCTION __FUNCSIG__
#endif

// Evaluates to the condition, reporting it when false: `if (!QEL_ASSERT(p)) return false;`
#define QEL_ASSERT(cond) QEL_ASSERT_MSG(cond, #cond)
// The same with the reported text given explicitly.
#define QEL_ASSERT_MSG(cond, text) \
  (static_cast<bool>(cond) ? true  \
                           : (qel_assert_failed(__FILE__, __LINE__, QEL_FUNCTION, text), false))
