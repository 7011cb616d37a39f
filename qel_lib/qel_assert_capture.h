// Test helper: collects assertion reports instead of showing message boxes.
#pragma once

#include <string>
#include <vector>

#include "qel_lib/qel_assert.h"

class AssertCapture {
 public:
  AssertCapture() { previous_ = qel_set_assert_sink(&AssertCapture::Collect); }
  ~AssertCapture() {
    qel_set_assert_sink(previous_);
    reports().clear();
  }
  const std::vector<std::string>& texts() const { return reports(); }
  size_t count() const { return reports().size(); }
  // True when some report names this function and expression.
  bool Has(const std::string& function, const std::string& expression) const {
    for (const std::string& r : reports())
      if (r.find("function " + function + ":\n assertion `" + expression + "' failed") !=
          std::string::npos)
        return true;
    return false;
  }
  void Clear() { reports().clear(); }

 private:
  static std::vector<std::string>& reports() {
    static std::vector<std::string> r;
    return r;
  }
  static void Collect(const char* text) { reports().push_back(text); }
  QelAssertSink previous_;
};
