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

// Skips the white space and the one optional sign that may lead a number; returns the
// position after them and tells whether the sign was a minus.
constexpr std::size_t skipNumberPrefix(TextView text, bool& negative) {
  std::size_t i = 0;
  while (i < text.size() && isNumberSpace(text[i])) ++i;
  negative = i < text.size() && text[i] == u'-';
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
  return i;
}

}  // namespace orrery
