#include "encoding/utf8.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "encoding/utf8_writer.h"

namespace orrery {
namespace {

constexpr char16_t kReplacement = u'*';

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

// The most code units one step of decode writes: a block of ASCII.
constexpr std::size_t kMostUnitsAStep = 16;

// Bytes of a leading EF BB BF.
std::size_t byteOrderMarkLength(BytesView bytes) {
  return bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

// Decodes `bytes` from `i` on, stopping once fewer than kMostUnitsAStep of the `room`
// code units at `out` are left; `i` moves past what was decoded. With kWrite the units
// are written to `out`; either way their number is returned. `complete` becomes false
// when a malformed or truncated sequence stops it. Runs of ASCII, most of a request, go
// 16 bytes at a time.
template <bool kWrite>
std::size_t decode(BytesView bytes, std::size_t& i, char16_t* out, std::size_t room,
                   bool& complete) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t k = 0;
  const auto put = [&](char16_t unit) {
    if constexpr (kWrite) out[k] = unit;
    ++k;
  };

  while (i < n && room - k >= kMostUnitsAStep) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      if (n - i >= 16 && asciiBlock(p + i)) {
        if constexpr (kWrite) {
          widenAscii(p + i, out + k);
          widenAscii(p + i + 8, out + k + 8);
        }
        k += 16;
        i += 16;
      } else {
        put(b);
        ++i;
      }
      continue;
    }
    // Japanese text is almost all three-byte characters: they skip the general switch.
    if ((b & 0xF0) == 0xE0 && n - i >= 3) {
      put(static_cast<char16_t>(((b & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F)));
      i += 3;
      continue;
    }
    const std::size_t length = sequenceLength(b);
    if (length == 0 || n - i < length) {
      complete = false;
      break;
    }
    switch (length) {
      case 1:
        put(b);
        break;
      case 2:
        put(static_cast<char16_t>(((b & 0x1F) << 6) | (p[i + 1] & 0x3F)));
        break;
      case 3:
        put(static_cast<char16_t>(((b & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) |
                                  (p[i + 2] & 0x3F)));
        break;
      case 4: {
        // A well-formed supplementary character travels as its surrogate pair; anything
        // else of this length stays the asterisk it always was.
        const std::uint32_t cp = ((b & 0x07u) << 18) | ((p[i + 1] & 0x3Fu) << 12) |
                                 ((p[i + 2] & 0x3Fu) << 6) | (p[i + 3] & 0x3Fu);
        if (b <= 0xF4 && isContinuation(p[i + 1]) && isContinuation(p[i + 2]) &&
            isContinuation(p[i + 3]) && cp >= 0x10000 && cp <= 0x10FFFF) {
          put(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
          put(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
          put(kReplacement);
        }
        break;
      }
      default:
        put(kReplacement);
        break;
    }
    i += length;
  }
  return k;
}

}  // namespace

bool decodeUtf8(BytesView bytes, Text& text) {
  // Counted first and reserved exactly, then decoded a chunk at a time on the stack and
  // appended: sizing for the most units the bytes could give would touch up to three
  // times the memory needed (Japanese text takes three bytes a character), and resizing
  // would fill with zeros every unit about to be written.
  bool complete = true;
  const std::size_t start = byteOrderMarkLength(bytes);
  std::size_t i = start;
  const std::size_t units = decode<false>(bytes, i, nullptr, SIZE_MAX, complete);
  text.reserve(text.size() + units);
  constexpr std::size_t kChunk = 2048;
  char16_t chunk[kChunk];
  complete = true;
  for (i = start; i < bytes.size() && complete;) {
    text.append(chunk, decode<true>(bytes, i, chunk, kChunk, complete));
  }
  return complete;
}

bool encodeUtf8(TextView text, Bytes& bytes) {
  // Sized exactly once, then written through a pointer by the same writer that puts
  // UTF-8 answers straight into the host's block.
  const std::size_t start = bytes.size();
  bytes.resize(start + utf8Length(text));
  writeUtf8(text, bytes.data() + start);
  return true;
}

}  // namespace orrery
