#pragma once
// UTF-8 written through a pointer into room sized beforehand, for a response that is
// encoded piece by piece straight into the block the host receives. Byte for byte what
// encodeUtf8 writes for the same text.
#include "protocol/text.h"

namespace orrery {

// Bytes the UTF-8 encoding of `text` takes: a surrogate pair four, a lone surrogate three.
std::size_t utf8Length(TextView text);

// Writes the UTF-8 encoding of `text` to `out`, which has room for utf8Length(text)
// bytes; returns the end of what was written.
char* writeUtf8(TextView text, char* out);

}  // namespace orrery
