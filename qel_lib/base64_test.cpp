#include "qel_lib/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Encode(const std::string& in) {
  char out[64];
  size_t len = 99;
  EXPECT_TRUE(
      base64_encode(reinterpret_cast<const uint8_t*>(in.data()), in.size(), out, sizeof out, &len));
  EXPECT_EQ(len, base64_encoded_len(in.size()));
  return std::string(out, len);
}

TEST(Base64, PadsTheLastGroup) {
  EXPECT_EQ(Encode(""), "");
  EXPECT_EQ(Encode("f"), "Zg==");
  EXPECT_EQ(Encode("fo"), "Zm8=");
  EXPECT_EQ(Encode("foo"), "Zm9v");
  EXPECT_EQ(Encode("foobar"), "Zm9vYmFy");
  EXPECT_EQ(Encode(std::string("\xff\xfe\x00\xfb", 4)), "//4A+w==");
}

// The buffer counts the terminator: a text that would fill it exactly does not fit.
TEST(Base64, NeedsRoomForTheTerminator) {
  const uint8_t data[3] = {'a', 'b', 'c'};
  char out[5] = {'x', 'x', 'x', 'x', 'x'};
  size_t len = 7;
  EXPECT_FALSE(base64_encode(data, 3, out, 4, &len));
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(len, 0u);
  EXPECT_TRUE(base64_encode(data, 3, out, 5, &len));
  EXPECT_STREQ(out, "YWJj");
  EXPECT_EQ(len, 4u);
}

}  // namespace
