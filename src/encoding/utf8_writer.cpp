#include "encoding/utf8_writer.h"

#include <bit>
#include <cstdint>
#include <cstring>

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

namespace {
// From U+0800 up, surrogates aside.
bool isThreeByte(char16_t u) { return u >= 0x800 && static_cast<char16_t>(u - 0xD800) >= 0x800; }
}  // namespace

char* writeFrom(TextView text, std::size_t i, char* out) {
  const char16_t* q = text.data() + i;
  const char16_t* const end = text.data() + text.size();
  while (q != end) {
    // Japanese text is almost all three-byte characters: a run of them stays here, each
    // written as one word whose fourth byte the next unit's first overwrites.
    if constexpr (std::endian::native == std::endian::little) {
      for (; end - q >= 2 && isThreeByte(*q); ++q, out += 3) {
        const std::uint32_t u = *q;
        const std::uint32_t word =
            0x8080E0u | (u >> 12) | ((u << 2) & 0x3F00u) | ((u << 16) & 0x3F0000u);
        std::memcpy(out, &word, sizeof word);
      }
      if (q == end) break;
    }
    const char16_t u = *q++;
    if (u < 0x80) {
      *out++ = static_cast<char>(u);
    } else if (u < 0x800) {
      *out++ = static_cast<char>(0xC0 | (u >> 6));
      *out++ = static_cast<char>(0x80 | (u & 0x3F));
    } else if (isHighSurrogate(u) && q != end && isLowSurrogate(*q)) {
      const std::uint32_t cp = surrogatePairCodePoint(u, *q++);
      *out++ = static_cast<char>(0xF0 | (cp >> 18));
      *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {  // the last unit of a run, or a lone surrogate
      *out++ = static_cast<char>(0xE0 | (u >> 12));
      *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

}  // namespace orrery::utf8_detail
