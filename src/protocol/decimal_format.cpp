#include "protocol/decimal_format.h"

namespace orrery {

std::size_t decimalDigits(std::uint64_t value) {
  std::size_t n = 1;
  while (value >= 10) {
    value /= 10;
    ++n;
  }
  return n;
}

void appendUnsigned(Text& out, std::uint64_t value) {
  // Filled from the end and appended at once: one capacity check instead of one per digit.
  char16_t digits[20];
  std::size_t n = sizeof(digits) / sizeof(digits[0]);
  do {
    digits[--n] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  out.append(digits + n, sizeof(digits) / sizeof(digits[0]) - n);
}

void appendSigned(Text& out, std::int64_t value) {
  if (value < 0) {
    out.push_back(u'-');
    // Negate in unsigned arithmetic so that the most negative value has no overflow.
    appendUnsigned(out, 0u - static_cast<std::uint64_t>(value));
  } else {
    appendUnsigned(out, static_cast<std::uint64_t>(value));
  }
}

}  // namespace orrery
