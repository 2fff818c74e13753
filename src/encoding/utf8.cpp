#include "encoding/utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "encoding/ascii_blocks.h"
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

// Decodes the three-byte sequences that follow one another from `in`, at least one and
// at most `most`, into `out`; returns how many.
std::size_t threeByteRun(const unsigned char* in, std::size_t most, char16_t* out) {
  std::size_t m = 0;
  do {
    out[m] = static_cast<char16_t>(((in[0] & 0x0F) << 12) | ((in[1] & 0x3F) << 6) | (in[2] & 0x3F));
    in += 3;
  } while (++m < most && (in[0] & 0xF0) == 0xE0);
  return m;
}

// The room one step of decode needs: a block of ASCII. (A run of three-byte characters
// stops where the room ends.)
constexpr std::size_t kMostUnitsAStep = 16;

// Bytes of a leading EF BB BF.
std::size_t byteOrderMarkLength(BytesView bytes) {
  return bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

// At least as many code units as decoding `bytes` gives, and exactly as many for
// well-formed text: one for each byte that is not a continuation byte, and one more for
// each lead of a four-byte or longer form, which may become a surrogate pair.
std::size_t unitBound(BytesView bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  // The units of eight bytes. Shifted left, each byte's lower bits meet its top bit,
  // which then marks 11xxxxxx in `lead`, 10xxxxxx in `continuation` and 1111xxxx in
  // `longLead`. Each byte counts 0, 1 or 2; the multiplication sums the eight counts
  // into the top byte.
  const auto count = [](std::uint64_t w) -> std::size_t {
    const std::uint64_t lead = w & (w << 1);
    const std::uint64_t continuation = w ^ lead;
    const std::uint64_t longLead = lead & (lead << 2);
    const std::uint64_t counts = kOnes - ((continuation >> 7) & kOnes) + ((longLead >> 7) & kOnes);
    return (counts * kOnes) >> 56;
  };
  std::size_t units = 0;
  std::size_t i = 0;
  for (; n - i >= 16; i += 16) {
    std::uint64_t a;
    std::uint64_t b;
    std::memcpy(&a, p + i, 8);
    std::memcpy(&b, p + i + 8, 8);
    // A block of ASCII, as lists of ASCII items are, skips the count.
    units += ((a | b) & 0x8080808080808080u) == 0 ? 16 : count(a) + count(b);
  }
  for (; i < n; ++i) units += (isContinuation(p[i]) ? 0 : 1) + (p[i] >= 0xF0 ? 1 : 0);
  return units;
}

// Decodes `bytes` from `i` on into `out`, stopping once fewer than kMostUnitsAStep of
// its `room` code units are left; `i` moves past what was decoded, and the number of
// units written is returned. `complete` becomes false when a malformed or truncated
// sequence stops it.
std::size_t decode(BytesView bytes, std::size_t& i, char16_t* out, std::size_t room,
                   bool& complete) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t k = 0;

  while (i < n && room - k >= kMostUnitsAStep) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      k += decodeAsciiAt(p, n, i, out + k, room - k);
      continue;
    }
    // Japanese text is almost all three-byte characters: a run of them stays here.
    if ((b & 0xF0) == 0xE0 && n - i >= 3) {
      const std::size_t run = threeByteRun(p + i, std::min((n - i) / 3, room - k), out + k);
      k += run;
      i += 3 * run;
      continue;
    }
    const std::size_t length = sequenceLength(b);
    if (length == 0 || n - i < length) {
      complete = false;
      break;
    }
    switch (length) {
      case 2:
        out[k++] = static_cast<char16_t>(((b & 0x1F) << 6) | (p[i + 1] & 0x3F));
        break;
      case 4: {
        // A well-formed supplementary character travels as its surrogate pair; anything
        // else of this length stays the asterisk it always was.
        const std::uint32_t cp = ((b & 0x07u) << 18) | ((p[i + 1] & 0x3Fu) << 12) |
                                 ((p[i + 2] & 0x3Fu) << 6) | (p[i + 3] & 0x3Fu);
        if (b <= 0xF4 && isContinuation(p[i + 1]) && isContinuation(p[i + 2]) &&
            isContinuation(p[i + 3]) && cp >= 0x10000 && cp <= 0x10FFFF) {
          out[k++] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
          out[k++] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
          out[k++] = kReplacement;
        }
        break;
      }
      default:
        out[k++] = kReplacement;
        break;
    }
    i += length;
  }
  return k;
}

}  // namespace

bool decodeUtf8(BytesView bytes, Text& text) {
  // Decoded a chunk at a time on the stack and appended to room reserved once: resizing
  // would fill with zeros every unit about to be written. Most requests fit the first
  // chunk and are reserved exactly. Past that, a text bound for bulk memory takes room
  // for a unit a byte, the most there can be, as its untouched pages cost nothing; a
  // heap block up to three times too large (Japanese takes three bytes a character)
  // would often land on fresh pages, or on pages mapped anew each request, so a smaller
  // text is sized by a quick count of the rest.
  constexpr std::size_t kChunk = 2048;
  char16_t chunk[kChunk];
  bool complete = true;
  std::size_t i = byteOrderMarkLength(bytes);
  for (bool first = true; i < bytes.size() && complete; first = false) {
    const std::size_t units = decode(bytes, i, chunk, kChunk, complete);
    if (first) {
      const BytesView rest = complete ? bytes.substr(i) : BytesView();
      const std::size_t most = text.size() + units + rest.size();
      text.reserve(Text::allocator_type::bulk(most) ? most : text.size() + units + unitBound(rest));
    }
    text.append(chunk, units);
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
