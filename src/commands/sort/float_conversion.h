#pragma once
#include "protocol/text.h"

namespace orrery {

// Reads a decimal floating-point number: leading white space, an optional sign, digits
// with an optional decimal point (the private locale's), and an optional exponent (e, E,
// d or D, an optional sign, at least one digit). Infinity and not-a-number names and
// hexadecimal forms are refused. The whole text must be consumed, else ConvExcep is
// thrown; an empty text is 0. A magnitude beyond the double range gives an infinity.
double toFloat(TextView text);

}  // namespace orrery
