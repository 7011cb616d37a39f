#include "net/base64_coding.h"

#include <gtest/gtest.h>

namespace {

std::string Encode(const std::string& in, bool breaks = true) {
  std::string out;
  EXPECT_TRUE(CBase64Coding().Encode(in.data(), in.size(), &out, breaks));
  return out;
}

TEST(Base64Coding, BreaksWhereTheCountIncludingBreaksReaches72) {
  EXPECT_EQ(Encode(std::string(51, 'a')).find('\r'), std::string::npos);
  std::string text = Encode(std::string(144, 'a'));
  // 192 characters: breaks after the 72nd written and again when the count hits 144.
  ASSERT_EQ(text.size(), 196u);
  EXPECT_EQ(text.substr(72, 2), "\r\n");
  EXPECT_EQ(text.substr(144, 2), "\r\n");
  EXPECT_EQ(text.find('\r', 146), std::string::npos);
  EXPECT_EQ(Encode(std::string(144, 'a'), false).size(), 192u);
}

TEST(Base64Coding, RefusesResultsOverTheLimitAndLeavesOutputAlone) {
  std::string out = "kept";
  EXPECT_FALSE(CBase64Coding().Encode(std::string(3100, 'x').data(), 3100, &out, false));
  EXPECT_EQ(out, "kept");
  EXPECT_TRUE(CBase64Coding().Encode(std::string(3072, 'x').data(), 3072, &out, false));
  EXPECT_EQ(out.size(), 4u + 4096u);
}

}  // namespace
