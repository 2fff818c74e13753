#include "encoding/utf8.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace orrery {
namespace {

constexpr char16_t kReplacement = u'*';

constexpr bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Bytes a sequence needs in all, from its lead byte; 0 for a byte that cannot lead.
constexpr std::size_t sequenceLength(unsigned char b) {
  if (b < 0x80) return 1;
  if ((b & 0xE0) == 0xC0) return 2;
  if ((b & 0xF0) == 0xE0) return 3;
  if ((b & 0xF8) == 0xF0) return 4;
  if ((b & 0xFC) == 0xF8) return 5;
  if ((b & 0xFE) == 0xFC) return 6;
  return 0;
}

constexpr bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// True when none of the 16 bytes at `p` has its top bit set.
bool asciiBlock(const unsigned char* p) {
  std::uint64_t a;
  std::uint64_t b;
  std::memcpy(&a, p, 8);
  std::memcpy(&b, p + 8, 8);
  return ((a | b) & 0x8080808080808080u) == 0;
}

// Writes the 8 ASCII bytes at `in` as 8 code units. On little-endian machines each
// half spreads into four 16-bit lanes in a register; elsewhere one unit at a time.
void widenAscii(const unsigned char* in, char16_t* out) {
  if constexpr (std::endian::native == std::endian::little) {
    for (std::size_t half = 0; half < 8; half += 4) {
      std::uint32_t four;
      std::memcpy(&four, in + half, 4);
      std::uint64_t t = four;
      t = (t | (t << 16)) & 0x0000FFFF0000FFFFu;
      t = (t | (t << 8)) & 0x00FF00FF00FF00FFu;
      std::memcpy(out + half, &t, 8);
    }
  } else {
    for (std::size_t k = 0; k < 8; ++k) out[k] = in[k];
  }
}

}  // namespace

bool decodeUtf8(BytesView bytes, Text& text) {
  // Never more code units than bytes: sized for that once, written through a pointer,
  // then cut to what was written. Runs of ASCII, most of a request, go 16 bytes at a time.
  const std::size_t start = text.size();
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  text.resize(start + n);
  char16_t* const first = text.data() + start;
  char16_t* out = first;
  std::size_t i = (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) ? 3 : 0;
  bool complete = true;

  while (i < n) {
    while (n - i >= 16 && asciiBlock(p + i)) {
      widenAscii(p + i, out);
      widenAscii(p + i + 8, out + 8);
      out += 16;
      i += 16;
    }
    if (i == n) break;
    const unsigned char b = p[i];
    const std::size_t length = sequenceLength(b);
    if (length == 0 || n - i < length) {
      complete = false;
      break;
    }
    switch (length) {
      case 1:
        *out++ = b;
        break;
      case 2:
        *out++ = static_cast<char16_t>(((b & 0x1F) << 6) | (p[i + 1] & 0x3F));
        break;
      case 3:
        *out++ = static_cast<char16_t>(((b & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) |
                                       (p[i + 2] & 0x3F));
        break;
      case 4: {
        // A well-formed supplementary character travels as its surrogate pair; anything
        // else of this length stays the asterisk it always was.
        const std::uint32_t cp = ((b & 0x07u) << 18) | ((p[i + 1] & 0x3Fu) << 12) |
                                 ((p[i + 2] & 0x3Fu) << 6) | (p[i + 3] & 0x3Fu);
        if (b <= 0xF4 && isContinuation(p[i + 1]) && isContinuation(p[i + 2]) &&
            isContinuation(p[i + 3]) && cp >= 0x10000 && cp <= 0x10FFFF) {
          *out++ = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
          *out++ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
          *out++ = kReplacement;
        }
        break;
      }
      default:
        *out++ = kReplacement;
        break;
    }
    i += length;
  }
  text.resize(start + static_cast<std::size_t>(out - first));
  return complete;
}

namespace {

// True when all 8 code units at `p` are ASCII.
bool asciiUnits(const char16_t* p) {
  std::uint64_t a;
  std::uint64_t b;
  std::memcpy(&a, p, 8);
  std::memcpy(&b, p + 4, 8);
  return ((a | b) & 0xFF80FF80FF80FF80u) == 0;
}

// Writes the 8 ASCII code units at `in` as 8 bytes: the inverse of widenAscii.
void narrowAscii(const char16_t* in, char* out) {
  if constexpr (std::endian::native == std::endian::little) {
    for (std::size_t half = 0; half < 8; half += 4) {
      std::uint64_t t;
      std::memcpy(&t, in + half, 8);
      t = (t | (t >> 8)) & 0x0000FFFF0000FFFFu;
      t = t | (t >> 16);
      const auto four = static_cast<std::uint32_t>(t);
      std::memcpy(out + half, &four, 4);
    }
  } else {
    for (std::size_t k = 0; k < 8; ++k) out[k] = static_cast<char>(in[k]);
  }
}

// Bytes the encoding of `text` takes: a surrogate pair four, a lone surrogate three.
std::size_t encodedUtf8Length(TextView text) {
  std::size_t total = text.size();
  const std::size_t n = text.size();
  const char16_t* const units = text.data();
  for (std::size_t i = 0; i < n; ++i) {
    while (n - i >= 8 && asciiUnits(units + i)) i += 8;
    if (i == n) break;
    const char16_t u = text[i];
    if (u < 0x80) continue;
    if (u < 0x800) {
      total += 1;
    } else if (isHighSurrogate(u) && i + 1 < n && isLowSurrogate(text[i + 1])) {
      total += 2;  // two code units, four bytes
      ++i;
    } else {
      total += 2;
    }
  }
  return total;
}

}  // namespace

bool encodeUtf8(TextView text, Bytes& bytes) {
  // Sized exactly once, then written through a pointer: a large response is encoded
  // without growing its buffer.
  const std::size_t start = bytes.size();
  bytes.resize(start + encodedUtf8Length(text));
  char* out = bytes.data() + start;
  const std::size_t n = text.size();
  const char16_t* const units = text.data();
  for (std::size_t i = 0; i < n; ++i) {
    while (n - i >= 8 && asciiUnits(units + i)) {
      narrowAscii(units + i, out);
      out += 8;
      i += 8;
    }
    if (i == n) break;
    const char16_t u = text[i];
    if (u < 0x80) {
      *out++ = static_cast<char>(u);
    } else if (u < 0x800) {
      *out++ = static_cast<char>(0xC0 | (u >> 6));
      *out++ = static_cast<char>(0x80 | (u & 0x3F));
    } else if (isHighSurrogate(u) && i + 1 < n && isLowSurrogate(text[i + 1])) {
      const std::uint32_t cp = 0x10000 + ((static_cast<std::uint32_t>(u) - 0xD800) << 10) +
                               (static_cast<std::uint32_t>(text[i + 1]) - 0xDC00);
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
  return true;
}

}  // namespace orrery
