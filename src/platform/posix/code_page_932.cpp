#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/platform.h"

namespace orrery::platform {
namespace {

constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr char16_t kUndefinedPair = u'\x30FB';  // what Windows gives an undefined double byte
constexpr char16_t kBadByte = u'\xFFFD';
constexpr char kDefaultChar = '?';

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

// One descriptor per direction, opened on first use and kept until process detach (a
// host that loads and unloads the module repeatedly must not leak one per cycle); each
// use resets its shift state first. Process detach is the only place that closes it: a
// destructor would run among the exit handlers, before or after detach as the C runtime
// pleases, so the type has none.
class CachedDescriptor {
 public:
  constexpr CachedDescriptor(const char* to, const char* from) : to_(to), from_(from) {}
  CachedDescriptor(const CachedDescriptor&) = delete;
  CachedDescriptor& operator=(const CachedDescriptor&) = delete;

  void release() {
    if (open_) iconv_close(cd_);
    open_ = false;
  }

  // The reset descriptor, or kNoDescriptor when iconv cannot convert.
  iconv_t get() {
    if (!open_) {
      cd_ = iconv_open(to_, from_);
      open_ = cd_ != kNoDescriptor;
      if (!open_) return kNoDescriptor;
    }
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return cd_;
  }

 private:
  const char* to_;
  const char* from_;
  iconv_t cd_{};
  bool open_ = false;
};

static_assert(std::is_trivially_destructible_v<CachedDescriptor>);

constinit CachedDescriptor gDecoder(kUtf16, "CP932");
constinit CachedDescriptor gEncoder("CP932", kUtf16);

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Decoded code units gather in a chunk on the stack and are appended to the text a chunk
// at a time. The text is reserved for the most units the bytes can give but never filled
// first: resizing would write zeros over every unit about to be written, and over the
// half of the room that Japanese text (two bytes a character) never uses.
class ChunkedUnits {
 public:
  explicit ChunkedUnits(Text& text) : text_(text) {}

  // Room for at least one unit; `left` is set to how many.
  char16_t* room(std::size_t& left) {
    if (used_ == kSize) flush();
    left = kSize - used_;
    return chunk_ + used_;
  }
  void advance(std::size_t units) { used_ += units; }
  void put(char16_t unit) {
    std::size_t left;
    *room(left) = unit;
    ++used_;
  }
  bool empty() const { return used_ == 0; }
  void flush() {
    text_.append(chunk_, used_);
    used_ = 0;
  }

 private:
  static constexpr std::size_t kSize = 4096;
  Text& text_;
  char16_t chunk_[kSize];
  std::size_t used_ = 0;
};

// Converts [in, in + inLeft) with `cd` into `out`, one replacement for each sequence
// iconv refuses; false when iconv fails for another reason.
bool decodeSegment(iconv_t cd, char* in, std::size_t inLeft, ChunkedUnits& out) {
  while (inLeft > 0) {
    std::size_t units;
    char* dst = reinterpret_cast<char*>(out.room(units));
    std::size_t dstLeft = units * sizeof(char16_t);
    const std::size_t result = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.advance(units - dstLeft / sizeof(char16_t));
    if (result != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG && !out.empty()) {  // the chunk is full
      out.flush();
      continue;
    }
    if (errno != EILSEQ && errno != EINVAL) return false;
    // An undecodable sequence: one replacement, then go on after it.
    const auto b0 = static_cast<unsigned char>(in[0]);
    const bool pair =
        inLeft >= 2 && isLeadByte(b0) && isTrailByte(static_cast<unsigned char>(in[1]));
    out.put(pair ? kUndefinedPair : kBadByte);
    in += pair ? 2 : 1;
    inLeft -= pair ? 2 : 1;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return true;
}

bool isSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// Converts [in, in + inLeft), which holds no surrogates, with `cd` into `dst`, one
// default character for each code unit iconv refuses; false when iconv fails for another
// reason.
bool encodeSegment(iconv_t cd, char* in, std::size_t inLeft, char*& dst, std::size_t& dstLeft) {
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) break;
    if (errno != EILSEQ && errno != EINVAL) return false;
    *dst++ = kDefaultChar;
    --dstLeft;
    in += sizeof(char16_t);
    inLeft -= sizeof(char16_t);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return true;
}

// A call into iconv costs about as much as converting a few dozen characters, so only
// ASCII runs at least this long are copied on their own; shorter ones (the separators
// between short Japanese items) go through iconv with their neighbours.
constexpr std::size_t kShortestCopiedRun = 32;

// True when all 8 bytes at `p` are ASCII.
bool asciiBlock(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return (v & 0x8080808080808080u) == 0;
}

// The length of the ASCII run at `p`, up to `most` bytes or code units, found a word
// (8 bytes) at a time: a unit is ASCII when none of the bits the mask keeps is set.
template <typename Unit>
std::size_t asciiRunLength(const Unit* p, std::size_t most) {
  constexpr std::size_t kPerWord = sizeof(std::uint64_t) / sizeof(Unit);
  constexpr std::uint64_t kNotAscii = sizeof(Unit) == 1 ? 0x8080808080808080u : 0xFF80FF80FF80FF80u;
  std::size_t k = 0;
  for (std::uint64_t v; most - k >= kPerWord; k += kPerWord) {
    std::memcpy(&v, p + k, sizeof v);
    if ((v & kNotAscii) != 0) break;
  }
  while (k < most && p[k] < 0x80) ++k;
  return k;
}

// The end of the segment for iconv that starts at `i` (not ASCII): it takes in every
// ASCII run shorter than kShortestCopiedRun, up to the first longer one or the end. The
// first byte of a run may be the trail of a double byte, so it always stays in the
// segment; the bytes after it start characters of their own. Long runs are found by
// whole words of ASCII, which Japanese text almost never holds, so the double bytes are
// not walked one by one.
std::size_t byteSegmentEnd(const unsigned char* p, std::size_t n, std::size_t i) {
  std::size_t j = i;
  for (;;) {
    while (n - j >= 8 && !asciiBlock(p + j)) j += 8;
    if (n - j < 8) return n;  // a short tail goes with the segment
    std::size_t start = j;
    while (start > i && p[start - 1] < 0x80) --start;
    std::size_t end = j + 8;
    while (end < n && end - start <= kShortestCopiedRun && p[end] < 0x80) ++end;
    if (end == n || end - start > kShortestCopiedRun) return start + 1;
    j = end;
  }
}

// The same for code units, where a segment also ends at a surrogate.
std::size_t unitSegmentEnd(const char16_t* p, std::size_t n, std::size_t j) {
  for (;;) {
    while (j < n && p[j] >= 0x80 && !isSurrogate(p[j])) ++j;
    if (j == n || isSurrogate(p[j])) return j;
    const std::size_t limit = std::min(n, j + kShortestCopiedRun);
    std::size_t run = j;
    while (run < limit && p[run] < 0x80) ++run;
    if (run == n || run == j + kShortestCopiedRun) return j;
    j = run;
  }
}

}  // namespace

// ASCII maps to itself both ways in this code page, so runs of it are copied here and
// only the rest goes through iconv, whose cost per character is many times a copy's.
bool cp932ToUtf16(std::string_view bytes, Text& out) {
  if (bytes.empty()) return false;
  iconv_t cd = kNoDescriptor;

  Text text;
  text.reserve(bytes.size());  // each byte yields at most one code unit
  ChunkedUnits units(text);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    while (i < n && p[i] < 0x80) {
      std::size_t left;
      char16_t* dst = units.room(left);
      const std::size_t k = asciiRunLength(p + i, std::min(left, n - i));
      for (std::size_t m = 0; m < k; ++m) dst[m] = p[i + m];  // a counted loop vectorizes
      units.advance(k);
      i += k;
    }
    if (i == n) break;
    const std::size_t j = byteSegmentEnd(p, n, i);
    if (cd == kNoDescriptor && (cd = gDecoder.get()) == kNoDescriptor) return false;
    if (!decodeSegment(cd, const_cast<char*>(bytes.data() + i), j - i, units)) return false;
    i = j;
  }
  units.flush();
  if (text.empty()) return false;
  out = std::move(text);
  return true;
}

std::size_t utf16ToCp932(std::u16string_view text, char* out) noexcept {
  iconv_t cd = kNoDescriptor;
  const char16_t* const units = text.data();
  const std::size_t n = text.size();
  const std::size_t room = 2 * n;
  std::size_t written = 0;
  for (std::size_t i = 0; i < n;) {
    const std::size_t k = asciiRunLength(units + i, n - i);
    for (std::size_t m = 0; m < k; ++m) out[written + m] = static_cast<char>(units[i + m]);
    written += k;
    i += k;
    // The code page has no character beyond the BMP, and Windows converts one code unit
    // at a time: each half of a pair becomes the default character, as a lone one does.
    // They never reach iconv, which would drop the tag characters (U+E0000 to U+E007F)
    // without a trace.
    for (; i < n && isSurrogate(units[i]); ++i) out[written++] = kDefaultChar;
    if (i == n) break;
    if (units[i] < 0x80) continue;
    const std::size_t j = unitSegmentEnd(units, n, i);
    if (cd == kNoDescriptor && (cd = gEncoder.get()) == kNoDescriptor) return 0;
    char* dst = out + written;
    std::size_t dstLeft = room - written;
    char* in = reinterpret_cast<char*>(const_cast<char16_t*>(units + i));
    if (!encodeSegment(cd, in, (j - i) * sizeof(char16_t), dst, dstLeft)) return 0;
    written = room - dstLeft;
    i = j;
  }
  return written;
}

void releaseCodePage() noexcept {
  gDecoder.release();
  gEncoder.release();
}

}  // namespace orrery::platform
