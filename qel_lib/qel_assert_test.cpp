#include "qel_lib/qel_assert.h"

#include <gtest/gtest.h>

#include <string>

#include "qel_lib/qel_assert_capture.h"

namespace {

struct Widget {
  bool Create(int value) { return QEL_ASSERT(value > 0); }
  Widget& operator=(const Widget&) {
    QEL_ASSERT(false);
    return *this;
  }
};

TEST(AssertReporter, FormatsFileLineFunctionAndExpression) {
  AssertCapture capture;
  EXPECT_FALSE(Widget().Create(0));
  ASSERT_EQ(capture.count(), 1u);
  const std::string& text = capture.texts()[0];
  EXPECT_EQ(text.rfind("file ..\\qel_assert_test: line ", 0), 0u) << text;
  EXPECT_NE(text.find(": function {anonymous}::Widget::Create:\n assertion `value > 0' failed"),
            std::string::npos)
      << text;
  EXPECT_TRUE(Widget().Create(1));
  EXPECT_EQ(capture.count(), 1u);
}

TEST(AssertReporter, NamesFunctionsTheWayTheReportsDo) {
  EXPECT_EQ(qel_qualified_function_name("bool c_quorvantine_app::Create(const char16_t*)"),
            "c_quorvantine_app::Create");
  EXPECT_EQ(qel_qualified_function_name("t_ZulIObject::t_ZulIObject(const t_ZulIObject&)"),
            "t_ZulIObject::t_ZulIObject");
  EXPECT_EQ(
      qel_qualified_function_name("t_ZulIObject& t_ZulIObject::operator=(const t_ZulIObject&)"),
      "t_ZulIObject::operator =");
  EXPECT_EQ(qel_qualified_function_name("void MyTimerProc(uintptr_t)"), "MyTimerProc");
  EXPECT_EQ(qel_qualified_function_name(
                "void SimpleSubject<Tag, R, A>::Notify(A) [with Tag = void*; R = void]"),
            "SimpleSubject<Tag, R, A>::Notify");
  EXPECT_EQ(qel_report_file_name("/src/app/qel_app.cpp"), "..\\qel_app");
  EXPECT_EQ(qel_report_file_name("C:\\src\\qel_profile.cpp"), "..\\qel_profile");
}

TEST(AssertReporter, CutsReportsAt4000Characters) {
  AssertCapture capture;
  std::string longer(5000, 'x');
  qel_assert_report("%s", longer.c_str());
  ASSERT_EQ(capture.count(), 1u);
  EXPECT_EQ(capture.texts()[0].size(), 4000u);
}

}  // namespace
