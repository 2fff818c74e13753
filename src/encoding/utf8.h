#pragma once
// The module's own UTF-8 codec, byte for byte what hosts of this module have always
// received: lenient about continuation bytes, an asterisk for sequences it does not
// carry, but characters outside the BMP survive as surrogate pairs both ways.
#include "protocol/text.h"

namespace orrery {

// Appends the UTF-16 decoding of `bytes` to `text`. A leading EF BB BF is skipped.
// Returns true when the whole input was consumed, false when it stopped at a
// malformed or truncated sequence (what was decoded before it stays).
bool decodeUtf8(BytesView bytes, Text& text);

// Appends the UTF-8 encoding of `text` to `bytes`. A high surrogate directly followed
// by a low one becomes the 4-byte form of that character; a lone surrogate is written
// by itself as three bytes. Returns true.
bool encodeUtf8(TextView text, Bytes& bytes);

}  // namespace orrery
