#include "net/qel_version_compare.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(VersionCompare, PartsCompareAsNumbersWithTextFallback) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int order;
  } cases[] = {
      {u"1.10.0.0", u"1.2.0.3", 1},  // a text comparison would say the opposite
      {u"1.2.0.3", u"1.2.0.3", 0},
      {u"1.2.0.4", u"1.2.0.3", 1},
      {u"2", u"1.9.9.9", 1},
      {u"1.2", u"1.2.0", -1},  // more parts follow their prefix
      {u"01.2", u"1.2", 0},
      {u"1.2b", u"1.2a", 1},          // not a number: code units
      {u"1.2b", u"1.10", 1},          // "2b" against "10" as text
      {u"1.99999999999", u"1.2", 1},  // too long for a number: text
      {u"", u"1", -1},
      {u"", u"", 0},
      {u"1..2", u"1.0.2", -1},  // an empty part sorts before a digit
  };
  for (const Case& c : cases) {
    std::string a(c.a, c.a + std::char_traits<char16_t>::length(c.a));
    std::string b(c.b, c.b + std::char_traits<char16_t>::length(c.b));
    int got = qel_version_compare(c.a, c.b);
    EXPECT_EQ((got > 0) - (got < 0), c.order) << a << " vs " << b;
    int back = qel_version_compare(c.b, c.a);
    EXPECT_EQ((back > 0) - (back < 0), -c.order) << b << " vs " << a;
  }
  EXPECT_TRUE(qel_version_is_newer(u"1.3.0.0", u"1.2.0.3"));
  EXPECT_FALSE(qel_version_is_newer(u"1.2.0.3", u"1.2.0.3"));
}

}  // namespace
