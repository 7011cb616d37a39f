// printf-style formatting into UTF-16 for the few conversions the window texts use, so
// that translated formats from the string table can be filled in portable code.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

class qel_fmt_arg {
 public:
  qel_fmt_arg(int64_t _number) : m_number(_number) {}
  qel_fmt_arg(int _number) : m_number(_number) {}
  qel_fmt_arg(std::u16string_view _text) : m_text(_text), m_is_text(true) {}
  qel_fmt_arg(const char16_t* _text) : m_text(_text ? _text : u""), m_is_text(true) {}
  qel_fmt_arg(const std::u16string& _text) : m_text(_text), m_is_text(true) {}

  int64_t m_number = 0;
  std::u16string_view m_text;
  bool m_is_text = false;
};

// Understands %s, %d with an optional zero flag and width (%02d, %04d) and %%. A
// conversion without a matching argument, or of the wrong kind, is left out; a null
// format gives the empty text.
std::u16string qel_u16_format(const char16_t* _fmt, std::initializer_list<qel_fmt_arg> _args);
