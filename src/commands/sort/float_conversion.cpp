#include "commands/sort/float_conversion.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

#include "commands/framework/exceptions.h"
#include "platform/platform.h"
#include "protocol/char_class.h"

namespace orrery {
namespace {

constexpr std::int64_t kExponentLimit = std::int64_t{1} << 40;

std::int64_t saturatedAdd(std::int64_t a, std::int64_t b) {
  const std::int64_t sum = a + b;
  if (sum > kExponentLimit) return kExponentLimit;
  if (sum < -kExponentLimit) return -kExponentLimit;
  return sum;
}

bool isExponentLetter(char16_t c) { return c == u'e' || c == u'E' || c == u'd' || c == u'D'; }

}  // namespace

double toFloat(TextView text) {
  if (text.empty()) return 0.0;
  const char16_t point = platform::decimalPoint();
  bool negative = false;
  std::size_t i = skipNumberPrefix(text, negative);

  // The grammar is checked here and the accepted characters are rewritten as a plain
  // ASCII number for std::from_chars, which rounds correctly and ignores every locale
  // (the host may have changed the C runtime's).
  std::string ascii;
  ascii.reserve(text.size() - i + 1);
  std::size_t digits = 0;
  bool significant = false;
  // Decimal exponent of the first non-zero digit, saturated: positive means a magnitude
  // of at least 1. Tells overflow from underflow when the value is out of range.
  std::int64_t leadingPosition = 0;
  std::int64_t integerDigits = 0;
  for (; i < text.size() && isAsciiDigit(text[i]); ++i, ++digits) {
    ascii.push_back(static_cast<char>(text[i]));
    if (significant) {
      ++integerDigits;
    } else if (text[i] != u'0') {
      significant = true;
      integerDigits = 1;
    }
  }
  leadingPosition = integerDigits;
  if (i < text.size() && text[i] == point) {
    ascii.push_back('.');
    std::int64_t zeros = 0;
    for (++i; i < text.size() && isAsciiDigit(text[i]); ++i, ++digits) {
      ascii.push_back(static_cast<char>(text[i]));
      if (!significant) {
        if (text[i] == u'0') {
          ++zeros;
        } else {
          significant = true;
          leadingPosition = -zeros;
        }
      }
    }
  }
  // Without a digit nothing converts, so the conversion stops at the very start.
  if (digits == 0) throw ConvExcep{};

  if (i < text.size() && isExponentLetter(text[i])) {
    std::size_t j = i + 1;
    bool negativeExponent = false;
    if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) {
      negativeExponent = text[j] == u'-';
      ++j;
    }
    // An exponent letter without digits is not part of the number; the text then has
    // characters left over, which fails below.
    if (j < text.size() && isAsciiDigit(text[j])) {
      ascii.push_back('e');
      if (negativeExponent) ascii.push_back('-');
      std::int64_t exponent = 0;
      for (; j < text.size() && isAsciiDigit(text[j]); ++j) {
        ascii.push_back(static_cast<char>(text[j]));
        exponent = saturatedAdd(exponent * 10 > kExponentLimit ? kExponentLimit : exponent * 10,
                                text[j] - u'0');
      }
      leadingPosition = saturatedAdd(leadingPosition, negativeExponent ? -exponent : exponent);
      i = j;
    }
  }
  if (i != text.size()) throw ConvExcep{};

  double value = 0.0;
  const char* begin = ascii.data();
  const char* end = begin + ascii.size();
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec == std::errc::result_out_of_range) {
    value = leadingPosition > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (ec != std::errc() || ptr != end) {
    throw ConvExcep{};  // cannot happen for a text that passed the checks above
  }
  return negative ? -value : value;
}

}  // namespace orrery
