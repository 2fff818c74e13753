#include "encoding/euc_jp.h"

#include "encoding/jis_to_shift_jis.h"

namespace orrery {
namespace {

constexpr unsigned char kSingleShift2 = 0x8E;

}  // namespace

bool eucJpToShiftJis(BytesView bytes, Bytes& out) {
  // Every step writes at most as many bytes as it reads.
  out.reserve(out.size() + bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i + 1 < n) {
    const unsigned char b1 = p[i];
    if (b1 < 0x80) {
      // ASCII is copied as one run; a byte below 0x80 stays itself wherever it stands,
      // the last position included.
      std::size_t end = i + 1;
      while (end < n && p[end] < 0x80) ++end;
      out.append(bytes.data() + i, end - i);
      i = end;
    } else if (b1 == kSingleShift2) {
      out.push_back(static_cast<char>(p[i + 1] | 0x80));
      i += 2;
    } else {
      // An 8F lead (JIS X 0212) is not understood: its first two bytes are taken as
      // one pair and its third byte starts the next step.
      detail::appendShiftJisPair(b1 & 0x7Fu, p[i + 1] & 0x7Fu, out);
      i += 2;
    }
  }
  if (i < n && p[i] < 0x80) out.push_back(static_cast<char>(p[i]));
  return true;
}

}  // namespace orrery
