#include "commands/sort/float_conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "commands/framework/exceptions.h"

namespace orrery {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FloatConversionTest, AcceptedTexts) {
  struct Case {
    const char* name;
    TextView text;
    double expected;
  } cases[] = {
      {"empty is zero", u"", 0.0},
      {"integer", u"42", 42.0},
      {"leading white space and plus", u" \t+1.5", 1.5},
      {"ideographic space", u"\x3000-2", -2.0},
      {"negative with exponent", u"-2.5e3", -2500.0},
      {"d exponent", u"1d2", 100.0},
      {"upper D with negative exponent", u"1D-2", 0.01},
      {"E with plus", u"1E+2", 100.0},
      {"fraction only", u".5", 0.5},
      {"trailing point", u"5.", 5.0},
      {"point before exponent", u"5.e1", 50.0},
      {"correctly rounded", u"0.1", 0.1},
      {"long mantissa", u"123456789012345678901234567890", 1.2345678901234568e29},
      {"leading zeros", u"000.000125", 0.000125},
      {"large but finite", u"0.00001e309", 1e304},
      {"overflow gives infinity", u"1e400", kInf},
      {"negative overflow", u"-1e400", -kInf},
      {"overflow through mantissa digits", u"1000e306", kInf},
      {"underflow gives zero", u"1e-400", 0.0},
      {"underflow with integer digits", u"12e-400", 0.0},
      {"zero with a huge exponent", u"0e99999999999999999999", 0.0},
      {"huge exponent", u"1e99999999999999999999", kInf},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(toFloat(c.text), c.expected);
  }
  EXPECT_TRUE(std::signbit(toFloat(u"-1e-400")));
}

TEST(FloatConversionTest, RefusedTexts) {
  struct Case {
    const char* name;
    TextView text;
  } cases[] = {
      {"white space only", u"  "},
      {"sign only", u"-"},
      {"point only", u"."},
      {"trailing space", u"1 "},
      {"exponent without digits", u"1e"},
      {"exponent sign without digits", u"1e+"},
      {"exponent alone", u"e5"},
      {"infinity", u"inf"},
      {"infinity spelled out", u"Infinity"},
      {"not a number", u"nan"},
      {"hexadecimal", u"0x10"},
      {"comma is not the decimal point here", u"1,5"},
      {"two points", u"1.2.3"},
      {"full-width digit", u"\xFF11"},
      {"other exponent letter", u"1f2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(toFloat(c.text), ConvExcep);
  }
}

}  // namespace
}  // namespace orrery
