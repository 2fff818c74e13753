#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "encoding/ascii_blocks.h"
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
bool isSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

constexpr std::size_t kFailed = static_cast<std::size_t>(-1);

// One call of iconv on one character: its result (kFailed, with errno set, on failure),
// the bytes it took and the bytes it wrote. The shift state is reset after it.
struct Conversion {
  std::size_t result;
  std::size_t consumed;
  std::size_t produced;  // bytes of output
};
Conversion convertOnce(iconv_t cd, const void* in, std::size_t inBytes, void* out,
                       std::size_t outBytes) {
  char* src = static_cast<char*>(const_cast<void*>(in));
  char* dst = static_cast<char*>(out);
  std::size_t srcLeft = inBytes;
  std::size_t dstLeft = outBytes;
  const std::size_t result = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  const int error = errno;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a failure may leave a state behind
  errno = error;
  return {result, inBytes - srcLeft, outBytes - dstLeft};
}

// What iconv makes of each character, learnt the first time the character is met and
// kept while the module is mapped (the answer never changes): a call into iconv costs as
// much as converting a few dozen characters, and a text uses a few thousand at most.
// The code page is stateless, so a character converts alone as it does among others. A
// learnt entry is never 0, which marks one not learnt yet; kAsIs marks one that does not
// fit an entry (more than one unit, say), which then goes through iconv every time.
constexpr std::uint32_t kAsIs = 0xFFFFFFFF;

// Entries by key, 256 to a page. The pages lie in zeroed memory and are taken in the
// order their first key is met, so a text touches about one 4 KiB page of memory for
// every few 256-key blocks it uses, wherever they lie.
template <typename Entry, std::size_t kPages>
class LearntTable {
 public:
  Entry& operator[](std::size_t key) {
    Entry*& page = pages_[key >> 8];
    if (page == nullptr) page = pool_[taken_++];
    return page[key & 0xFF];
  }
  // The same without taking a page: 0 when not learnt.
  Entry find(std::size_t key) const {
    const Entry* page = pages_[key >> 8];
    return page != nullptr ? page[key & 0xFF] : 0;
  }

 private:
  Entry* pages_[kPages];
  Entry pool_[kPages][256];
  std::size_t taken_;
};

// A byte from 0x80 up read alone: a character, a lead byte, or neither.
enum ByteKind : std::uint32_t { kSingle = 1, kLead = 2, kInvalid = 3 };
std::uint32_t gBytes[128];
// A lead byte from 0x80 up followed by any byte: the unit, and the bytes taken (1 when
// only the lead byte is replaced) above it.
LearntTable<std::uint32_t, 128> gPairs;
// A code unit from 0x80 up: its one or two bytes, the first in the high half when there
// are two; the default character for a unit without a form.
LearntTable<std::uint16_t, 256> gForms;
constexpr std::uint16_t kFormAsIs = 0xFFFF;  // FF never leads a double byte

std::uint32_t entry(char16_t unit, std::uint32_t bytes) { return bytes << 16 | unit; }

// What replaces a sequence iconv refuses at `p`, with `left` bytes from there, as an
// entry: U+30FB for a double byte whose bytes lie in the lead and trail ranges, as
// Windows gives, else U+FFFD for the one byte.
std::uint32_t replacement(const unsigned char* p, std::size_t left) {
  const bool pair = left >= 2 && isLeadByte(p[0]) && isTrailByte(p[1]);
  return pair ? entry(kUndefinedPair, 2) : entry(kBadByte, 1);
}

// Learns the lead or single byte b; 0 when iconv cannot be opened.
std::uint32_t learnByte(unsigned char b) {
  const iconv_t cd = gDecoder.get();
  if (cd == kNoDescriptor) return 0;
  char16_t units[2];
  const Conversion c = convertOnce(cd, &b, 1, units, sizeof(units));
  std::uint32_t kind = kAsIs;
  if (c.result != kFailed && c.consumed == 1 && c.produced == sizeof(char16_t)) {
    kind = entry(units[0], kSingle);
  } else if (c.result == kFailed && errno == EINVAL) {
    kind = kLead;
  } else if (c.result == kFailed && errno == EILSEQ) {
    kind = kInvalid;
  }
  return gBytes[b - 0x80] = kind;
}

// Learns the lead byte b followed by t; 0 when iconv cannot be opened.
std::uint32_t learnPair(unsigned char b, unsigned char t) {
  const iconv_t cd = gDecoder.get();
  if (cd == kNoDescriptor) return 0;
  const unsigned char pair[2] = {b, t};
  char16_t units[2];
  const Conversion c = convertOnce(cd, pair, 2, units, sizeof(units));
  std::uint32_t learnt = kAsIs;
  if (c.result != kFailed && c.consumed == 2 && c.produced == sizeof(char16_t)) {
    learnt = entry(units[0], 2);
  } else if (c.result == kFailed && c.consumed == 0 && errno == EILSEQ) {
    learnt = replacement(pair, 2);
  }
  return gPairs[(b - 0x80) * 256 + t] = learnt;
}

// Learns the form of `unit`; 0 when iconv cannot be opened.
std::uint16_t learnForm(char16_t unit) {
  const iconv_t cd = gEncoder.get();
  if (cd == kNoDescriptor) return 0;
  unsigned char bytes[4];
  const Conversion c = convertOnce(cd, &unit, sizeof(unit), bytes, sizeof(bytes));
  std::uint16_t form = kFormAsIs;
  if (c.result == kFailed && errno == EILSEQ) {
    form = static_cast<unsigned char>(kDefaultChar);
  } else if (c.result != kFailed && c.produced == 1 && bytes[0] != 0) {
    form = bytes[0];
  } else if (c.result != kFailed && c.produced == 2 && bytes[0] != 0 &&
             !(bytes[0] == 0xFF && bytes[1] == 0xFF)) {
    form = static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
  }
  return gForms[unit] = form;
}

// Decoded code units gather in a chunk on the stack and are appended to the text a chunk
// at a time. The text is reserved for the most units the bytes can give but never filled
// first: resizing would write zeros over every unit about to be written, and over the
// half of the room that Japanese text (two bytes a character) never uses.
class ChunkedUnits {
 public:
  explicit ChunkedUnits(Text& text) : text_(text) {}

  // The room a decoding step needs: a block of ASCII widened whole.
  static constexpr std::size_t kStep = 16;

  // Room for at least kStep units; `left` is set to how many.
  char16_t* room(std::size_t& left) {
    if (kSize - used_ < kStep) flush();
    left = kSize - used_;
    return chunk_ + used_;
  }
  void advance(std::size_t units) { used_ += units; }
  void put(char16_t unit) {
    std::size_t left;
    *room(left) = unit;
    ++used_;
  }
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

// The character at p[i], not ASCII, through iconv as it comes; the bytes it takes, 0 when
// iconv fails for a reason other than the input.
std::size_t decodeAsIs(const unsigned char* p, std::size_t n, std::size_t i, ChunkedUnits& out) {
  const iconv_t cd = gDecoder.get();
  if (cd == kNoDescriptor) return 0;
  std::size_t left;
  char16_t* dst = out.room(left);
  const Conversion c =
      convertOnce(cd, p + i, std::min<std::size_t>(2, n - i), dst, 2 * sizeof(char16_t));
  if (c.consumed > 0) {
    out.advance(c.produced / sizeof(char16_t));
    return c.consumed;
  }
  if (c.result != kFailed || (errno != EILSEQ && errno != EINVAL)) return 0;
  const std::uint32_t replaced = replacement(p + i, n - i);
  out.put(static_cast<char16_t>(replaced));
  return replaced >> 16;
}

// The character at p[i], not ASCII, into `out`; the bytes it takes, 0 on failure.
std::size_t decodeCharacter(const unsigned char* p, std::size_t n, std::size_t i,
                            ChunkedUnits& out) {
  const unsigned char b = p[i];
  std::uint32_t kind = gBytes[b - 0x80];
  if (kind == 0 && (kind = learnByte(b)) == 0) return 0;
  std::uint32_t learnt = kind;
  if (kind == kInvalid || (kind == kLead && n - i == 1)) {  // the latter cut short by the end
    learnt = replacement(p + i, n - i);
  } else if (kind == kLead) {
    learnt = gPairs[(b - 0x80) * 256 + p[i + 1]];
    if (learnt == 0 && (learnt = learnPair(b, p[i + 1])) == 0) return 0;
  }
  if (learnt == kAsIs) return decodeAsIs(p, n, i, out);
  out.put(static_cast<char16_t>(learnt));
  return learnt >> 16;
}

// Writes a learnt form, neither 0 nor kFormAsIs, at `out`; the bytes written.
std::size_t putForm(std::uint16_t form, char* out) {
  if (form < 0x100) {
    *out = static_cast<char>(form);
    return 1;
  }
  out[0] = static_cast<char>(form >> 8);
  out[1] = static_cast<char>(form & 0xFF);
  return 2;
}

// The form of `unit`, neither ASCII nor a surrogate, written at `out`; the bytes
// written, kFailed when iconv fails for a reason other than the input. Never more than
// two: an answer's room counts no more for a unit.
std::size_t encodeCharacter(char16_t unit, char* out) {
  std::uint16_t form = gForms[unit];
  if (form == 0 && (form = learnForm(unit)) == 0) return kFailed;
  if (form == kFormAsIs) {
    const iconv_t cd = gEncoder.get();
    if (cd == kNoDescriptor) return kFailed;
    const Conversion c = convertOnce(cd, &unit, sizeof(unit), out, 2);
    if (c.result != kFailed) return c.produced;
    if (errno != EILSEQ && errno != EINVAL) return kFailed;
    *out = kDefaultChar;
    return 1;
  }
  return putForm(form, out);
}

// Decodes from p[i] into `out` while it has room for a step and the text is ASCII or
// double bytes learnt already, which is almost all Japanese text; `i` moves past what
// was decoded, and the units written are returned. The rest is left to decodeCharacter.
std::size_t decodeLearnt(const unsigned char* p, std::size_t n, std::size_t& i, char16_t* out,
                         std::size_t room) {
  std::size_t k = 0;
  while (i < n && room - k >= ChunkedUnits::kStep) {
    if (p[i] < 0x80) {
      k += decodeAsciiAt(p, n, i, out + k, room - k);
      continue;
    }
    // A run of double bytes learnt already stays here; only a lead byte ever has one,
    // and each takes one unit of room.
    const std::size_t k0 = k;
    for (; i + 1 < n && k < room && p[i] >= 0x80; ++k) {
      const std::uint32_t learnt = gPairs.find((p[i] - 0x80u) << 8 | p[i + 1]);
      if (learnt == 0 || learnt == kAsIs) break;
      out[k] = static_cast<char16_t>(learnt);
      i += learnt >> 16;
    }
    if (k == k0) break;  // a character to learn, or at the end a lead byte alone
  }
  return k;
}

}  // namespace

// ASCII maps to itself both ways in this code page, so it is widened or narrowed here;
// the rest goes a character at a time through what iconv has taught (see gBytes).
bool cp932ToUtf16(std::string_view bytes, Text& out) {
  if (bytes.empty()) return false;
  Text text;
  text.reserve(bytes.size());  // each byte yields at most one code unit
  ChunkedUnits units(text);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    std::size_t left;
    char16_t* dst = units.room(left);
    const std::size_t k = decodeLearnt(p, n, i, dst, left);
    units.advance(k);
    if (i < n && left - k >= ChunkedUnits::kStep) {
      const std::size_t taken = decodeCharacter(p, n, i, units);
      if (taken == 0) return false;
      i += taken;
    }
  }
  units.flush();
  if (text.empty()) return false;
  out = std::move(text);
  return true;
}

std::size_t utf16ToCp932(std::u16string_view text, char* out) noexcept {
  const char16_t* const units = text.data();
  const std::size_t n = text.size();
  std::size_t written = 0;
  for (std::size_t i = 0; i < n;) {
    const char16_t unit = units[i];
    if (unit < 0x80) {
      written += encodeAsciiAt(units, n, i, out + written);
      continue;
    }
    // A form learnt already, as almost every character of a Japanese text has, is
    // written here.
    const std::uint16_t form = gForms.find(unit);
    if (form != 0 && form != kFormAsIs) {
      written += putForm(form, out + written);
      ++i;
      continue;
    }
    // The code page has no character beyond the BMP, and Windows converts one code unit
    // at a time: each half of a pair becomes the default character, as a lone one does.
    // They never reach iconv, which would drop the tag characters (U+E0000 to U+E007F)
    // without a trace.
    if (isSurrogate(unit)) {
      out[written++] = kDefaultChar;
    } else {
      const std::size_t bytes = encodeCharacter(unit, out + written);
      if (bytes == kFailed) return 0;
      written += bytes;
    }
    ++i;
  }
  return written;
}

void releaseCodePage() noexcept {
  gDecoder.release();
  gEncoder.release();
}

}  // namespace orrery::platform
