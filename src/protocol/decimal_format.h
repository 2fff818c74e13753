#pragma once
// Decimal formatting without the C runtime's printf family: the same digits on every
// platform and several times faster than swprintf on the response path.
#include <cstdint>

#include "protocol/text.h"

namespace orrery {

// Appends `value` in decimal ("%u": no sign, no leading zeros).
void appendUnsigned(Text& out, std::uint64_t value);

// Appends `value` in decimal ("%d": a leading "-" for negative values).
void appendSigned(Text& out, std::int64_t value);

// Number of decimal digits of `value` (1 for 0).
std::size_t decimalDigits(std::uint64_t value);

}  // namespace orrery
