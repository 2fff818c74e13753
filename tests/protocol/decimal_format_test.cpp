#include "protocol/decimal_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace orrery {
namespace {

TEST(DecimalFormat, WritesLikePrintf) {
  struct Case {
    std::int64_t value;
    const char16_t* expected;
  };
  const Case cases[] = {
      {0, u"0"},
      {7, u"7"},
      {-1, u"-1"},
      {10, u"10"},
      {2147483647, u"2147483647"},
      {-2147483648LL, u"-2147483648"},
      {std::numeric_limits<std::int64_t>::min(), u"-9223372036854775808"},
  };
  for (const Case& c : cases) {
    Text out = u"x";
    appendSigned(out, c.value);
    EXPECT_EQ(out, Text(u"x") + c.expected);
  }
  Text u;
  appendUnsigned(u, 4294967295u);
  EXPECT_EQ(u, u"4294967295");
  EXPECT_EQ(decimalDigits(0), 1u);
  EXPECT_EQ(decimalDigits(9), 1u);
  EXPECT_EQ(decimalDigits(10), 2u);
  EXPECT_EQ(decimalDigits(18446744073709551615ull), 20u);
}

}  // namespace
}  // namespace orrery
