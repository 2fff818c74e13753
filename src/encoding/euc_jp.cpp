#include "encoding/euc_jp.h"

#include <cstdint>
#include <cstring>

#include "encoding/jis_to_shift_jis.h"

namespace orrery {
namespace {

constexpr unsigned char kSingleShift2 = 0x8E;

// The end of the run of bytes below 0x80 that starts at `i`, eight bytes at a time.
std::size_t asciiRunEnd(const unsigned char* p, std::size_t i, std::size_t n) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  while (n - i >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, sizeof word);
    if ((word & kHighBits) != 0) break;
    i += 8;
  }
  while (i < n && p[i] < 0x80) ++i;
  return i;
}

}  // namespace

bool eucJpToShiftJis(BytesView bytes, Bytes& out) {
  // Every step writes at most as many bytes as it reads, so the output is sized once
  // for the worst case and trimmed at the end.
  const std::size_t start = out.size();
  out.resize(start + bytes.size());
  char* const begin = out.data() + start;
  char* dst = begin;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i + 1 < n) {
    const unsigned char b1 = p[i];
    if (b1 < 0x80) {
      // ASCII is copied as one run; a byte below 0x80 stays itself wherever it stands,
      // the last position included.
      const std::size_t end = asciiRunEnd(p, i + 1, n);
      std::memcpy(dst, p + i, end - i);
      dst += end - i;
      i = end;
    } else if (b1 == kSingleShift2) {
      *dst++ = static_cast<char>(p[i + 1] | 0x80);
      i += 2;
    } else {
      // An 8F lead (JIS X 0212) is not understood: its first two bytes are taken as
      // one pair and its third byte starts the next step.
      dst = detail::writeShiftJisPair(b1 & 0x7Fu, p[i + 1] & 0x7Fu, dst);
      i += 2;
    }
  }
  if (i < n && p[i] < 0x80) *dst++ = static_cast<char>(p[i]);
  out.resize(start + static_cast<std::size_t>(dst - begin));
  return true;
}

}  // namespace orrery
