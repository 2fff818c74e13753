#include "encoding/utf8_writer.h"

#include <cstdint>

#include "encoding/utf8.h"

namespace orrery::utf8_detail {

// The length of text[i..] plus i, the ASCII units before it. Every unit from 0x80 up
// takes a byte more, and from 0x800 up two; a pair takes four bytes, two fewer than its
// two units would, and a high surrogate followed by a low one is always a pair. So each
// unit adds without a branch.
std::size_t lengthFrom(TextView text, std::size_t i) {
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  std::size_t total = n;
  for (; i < n; ++i) {
    const char16_t u = p[i];
    const bool pair = isHighSurrogate(u) && i + 1 < n && isLowSurrogate(p[i + 1]);
    total += (u >= 0x80 ? 1u : 0u) + (u >= 0x800 ? 1u : 0u) - (pair ? 2u : 0u);
  }
  return total;
}

char* writeFrom(TextView text, std::size_t i, char* out) {
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  while (i < n) {
    char16_t u = p[i];
    // Japanese text is almost all three-byte characters: a run of them stays here.
    if (u >= 0x800 && (u < 0xD800 || u > 0xDFFF)) {
      do {
        out[0] = static_cast<char>(0xE0 | (u >> 12));
        out[1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (u & 0x3F));
        out += 3;
      } while (++i < n && (u = p[i]) >= 0x800 && (u < 0xD800 || u > 0xDFFF));
      continue;
    }
    if (u < 0x80) {
      *out++ = static_cast<char>(u);
    } else if (u < 0x800) {
      *out++ = static_cast<char>(0xC0 | (u >> 6));
      *out++ = static_cast<char>(0x80 | (u & 0x3F));
    } else if (isHighSurrogate(u) && i + 1 < n && isLowSurrogate(p[i + 1])) {
      const std::uint32_t cp = surrogatePairCodePoint(u, p[i + 1]);
      *out++ = static_cast<char>(0xF0 | (cp >> 18));
      *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (cp & 0x3F));
      ++i;
    } else {  // a lone surrogate, as its three bytes
      *out++ = static_cast<char>(0xE0 | (u >> 12));
      *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (u & 0x3F));
    }
    ++i;
  }
  return out;
}

}  // namespace orrery::utf8_detail
