#include "encoding/utf8_writer.h"

#include <cstdint>

#include "encoding/utf8.h"

namespace orrery::utf8_detail {

// The length of text[i..] plus i, the ASCII units before it.
std::size_t lengthFrom(TextView text, std::size_t i) {
  std::size_t total = text.size();
  const std::size_t n = text.size();
  for (; i < n; ++i) {
    const char16_t u = text[i];
    if (u < 0x80) continue;
    total += u < 0x800 ? 1 : 2;
    // A pair is two code units and four bytes: two more than its units.
    if (isHighSurrogate(u) && i + 1 < n && isLowSurrogate(text[i + 1])) ++i;
  }
  return total;
}

char* writeFrom(TextView text, std::size_t i, char* out) {
  const std::size_t n = text.size();
  for (; i < n; ++i) {
    const char16_t u = text[i];
    if (u < 0x80) {
      *out++ = static_cast<char>(u);
    } else if (u < 0x800) {
      *out++ = static_cast<char>(0xC0 | (u >> 6));
      *out++ = static_cast<char>(0x80 | (u & 0x3F));
    } else if (isHighSurrogate(u) && i + 1 < n && isLowSurrogate(text[i + 1])) {
      const std::uint32_t cp = surrogatePairCodePoint(u, text[i + 1]);
      *out++ = static_cast<char>(0xF0 | (cp >> 18));
      *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (cp & 0x3F));
      ++i;
    } else {
      *out++ = static_cast<char>(0xE0 | (u >> 12));
      *out++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

}  // namespace orrery::utf8_detail
