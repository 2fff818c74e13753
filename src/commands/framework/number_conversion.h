#pragma once
#include <cstdint>

#include "protocol/text.h"

namespace orrery {

// Reads a base-10 integer as wcstol does: leading white space, an optional sign,
// ASCII digits. The whole text must be consumed, else ConvExcep is thrown; an empty
// text is 0. Values beyond the signed 32-bit range saturate, whatever width `long`
// has on the platform.
std::int32_t toInteger(TextView text);

}  // namespace orrery
