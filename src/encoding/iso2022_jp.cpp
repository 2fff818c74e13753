#include "encoding/iso2022_jp.h"

#include <cstring>

#include "encoding/jis_to_shift_jis.h"

namespace orrery {
namespace {

constexpr unsigned char kEscape = 0x1B;

}  // namespace

bool iso2022JpToShiftJis(BytesView bytes, Bytes& out) {
  // Escapes are dropped and pairs stay pairs, so the output is never longer: it is
  // sized once for the worst case and trimmed at the end.
  const std::size_t start = out.size();
  out.resize(start + bytes.size());
  char* const begin = out.data() + start;
  char* dst = begin;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  bool twoByte = false;
  std::size_t i = 0;
  while (i < n) {
    if (!twoByte) {
      // One-byte text is copied up to the next escape in one run.
      const void* escape = std::memchr(p + i, kEscape, n - i);
      const std::size_t end =
          escape != nullptr
              ? static_cast<std::size_t>(static_cast<const unsigned char*>(escape) - p)
              : n;
      std::memcpy(dst, p + i, end - i);
      dst += end - i;
      i = end;
      if (i == n) break;
    }
    const std::size_t left = n - i;
    if (left >= 3 && p[i] == kEscape && p[i + 2] == 'B' && (p[i + 1] == '$' || p[i + 1] == '(')) {
      twoByte = p[i + 1] == '$';
      i += 3;
    } else if (left >= 2 && twoByte) {
      dst = detail::writeShiftJisPair(p[i], p[i + 1], dst);
      i += 2;
    } else {
      *dst++ = static_cast<char>(p[i]);
      i += 1;
    }
  }
  out.resize(start + static_cast<std::size_t>(dst - begin));
  return true;
}

}  // namespace orrery
