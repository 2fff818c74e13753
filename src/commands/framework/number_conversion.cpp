#include "commands/framework/number_conversion.h"

#include "commands/framework/exceptions.h"
#include "protocol/char_class.h"

namespace orrery {

std::int32_t toInteger(TextView text) {
  if (text.empty()) return 0;
  bool negative = false;
  std::size_t i = skipNumberPrefix(text, negative);
  // No digit means nothing was converted: the conversion stops at the very start.
  if (i == text.size() || !isAsciiDigit(text[i])) throw ConvExcep{};
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;  // magnitude of INT32_MIN
  std::int64_t magnitude = 0;
  for (; i < text.size() && isAsciiDigit(text[i]); ++i) {
    magnitude = magnitude * 10 + (text[i] - u'0');
    if (magnitude > kLimit) magnitude = kLimit + 1;  // saturated; keep consuming digits
  }
  if (i != text.size()) throw ConvExcep{};
  if (negative) return magnitude >= kLimit ? INT32_MIN : static_cast<std::int32_t>(-magnitude);
  return magnitude >= kLimit ? INT32_MAX : static_cast<std::int32_t>(magnitude);
}

}  // namespace orrery
