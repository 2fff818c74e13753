#include "commands/framework/number_conversion.h"

#include <gtest/gtest.h>

#include <optional>

#include "commands/framework/exceptions.h"

namespace orrery {
namespace {

std::optional<std::int32_t> convert(TextView text) {
  try {
    return toInteger(text);
  } catch (const ConvExcep&) {
    return std::nullopt;
  }
}

TEST(ToInteger, ReadsWholeTextsLikeWcstolWith32BitSaturation) {
  struct Case {
    const char* name;
    Text text;
    std::optional<std::int32_t> expected;
  };
  const Case cases[] = {
      {"empty is zero", u"", 0},
      {"plain", u"42", 42},
      {"leading space", u" 5", 5},
      {"tab, newline and ideographic space",
       u"\t\n\x3000"
       u"7",
       7},
      {"plus sign", u"+9", 9},
      {"minus sign", u"-3", -3},
      {"leading zeros", u"007", 7},
      {"largest", u"2147483647", 2147483647},
      {"smallest", u"-2147483648", INT32_MIN},
      {"saturates high", u"2147483648", 2147483647},
      {"saturates far high", u"99999999999999999999999", 2147483647},
      {"saturates low", u"-2147483649", INT32_MIN},
      {"trailing space fails", u"5 ", std::nullopt},
      {"only white space fails", u"  ", std::nullopt},
      {"lone sign fails", u"-", std::nullopt},
      {"sign then space fails", u"- 5", std::nullopt},
      {"hexadecimal fails", u"0x10", std::nullopt},
      {"decimal point fails", u"1.5", std::nullopt},
      {"fullwidth digits are not digits", u"\xFF11", std::nullopt},
      {"no-break space is not white space",
       u"\x00A0"
       u"1",
       std::nullopt},
      {"two signs fail", u"+-1", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(convert(c.text), c.expected);
  }
}

}  // namespace
}  // namespace orrery
