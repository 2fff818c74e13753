#pragma once
// Character classes for reading numbers. Fixed sets, not the C runtime's classification,
// so that the Windows and POSIX builds read every text alike.
#include "protocol/text.h"

namespace orrery {

// Tab, LF, VT, FF, CR, space, and the ideographic space common in Japanese text.
constexpr bool isNumberSpace(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r') || c == u'\x3000';
}

constexpr bool isAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace orrery
