#pragma once
// UTF-8 written through a pointer into room sized beforehand, for a response that is
// encoded piece by piece straight into the block the host receives. Byte for byte what
// encodeUtf8 writes for the same text. Most pieces are short and ASCII (the line
// names, list items in Latin script), so their loop is inline and the rest is not.
#include <cstdint>
#include <cstring>

#include "protocol/text.h"

namespace orrery {

namespace utf8_detail {
std::size_t lengthFrom(TextView text, std::size_t i);
char* writeFrom(TextView text, std::size_t i, char* out);

// True when the four code units at p are all ASCII.
inline bool fourAscii(const char16_t* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof(word));
  return (word & 0xFF80FF80FF80FF80u) == 0;
}

}  // namespace utf8_detail

// Bytes the UTF-8 encoding of `text` takes: a surrogate pair four, a lone surrogate three.
inline std::size_t utf8Length(TextView text) {
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i + 4 <= n && utf8_detail::fourAscii(p + i)) i += 4;
  for (; i < n; ++i) {
    if (p[i] >= 0x80) return utf8_detail::lengthFrom(text, i);
  }
  return n;
}

// Writes the UTF-8 encoding of `text` to `out`, which has room for utf8Length(text)
// bytes; returns the end of what was written.
inline char* writeUtf8(TextView text, char* out) {
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  for (; i + 4 <= n && utf8_detail::fourAscii(p + i); i += 4, out += 4) {
    out[0] = static_cast<char>(p[i]);
    out[1] = static_cast<char>(p[i + 1]);
    out[2] = static_cast<char>(p[i + 2]);
    out[3] = static_cast<char>(p[i + 3]);
  }
  for (; i < n; ++i) {
    if (p[i] >= 0x80) return utf8_detail::writeFrom(text, i, out);
    *out++ = static_cast<char>(p[i]);
  }
  return out;
}

}  // namespace orrery
