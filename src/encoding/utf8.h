#pragma once
// The module's own UTF-8 codec, byte for byte what hosts of this module have always
// received: lenient about continuation bytes, an asterisk for sequences it does not
// carry, but characters outside the BMP survive as surrogate pairs both ways.
#include <cstdint>

#include "protocol/text.h"

namespace orrery {

constexpr bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
// The character a high and a low surrogate stand for together.
constexpr char32_t surrogatePairCodePoint(char16_t high, char16_t low) {
  return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) +
         (static_cast<char32_t>(low) - 0xDC00);
}

// Appends the UTF-16 decoding of `bytes` to `text`. A leading EF BB BF is skipped.
// Returns true when the whole input was consumed, false when it stopped at a
// malformed or truncated sequence (what was decoded before it stays).
bool decodeUtf8(BytesView bytes, Text& text);

// Appends the UTF-8 encoding of `text` to `bytes`. A high surrogate directly followed
// by a low one becomes the 4-byte form of that character; a lone surrogate is written
// by itself as three bytes. Returns true.
bool encodeUtf8(TextView text, Bytes& bytes);

}  // namespace orrery
