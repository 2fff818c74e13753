#pragma once
// The arithmetic JIS X 0208 to Shift_JIS mapping shared by the EUC-JP and ISO-2022-JP
// converters. It is applied to whatever bytes arrive, so out-of-range inputs wrap
// modulo 256 instead of being rejected; for codes 0x21..0x7E in both bytes it is the
// published mapping.
#include "protocol/text.h"

namespace orrery::detail {

// Appends the Shift_JIS pair for JIS bytes `j1`, `j2` (0..255) to `out`.
inline void appendShiftJisPair(unsigned j1, unsigned j2, Bytes& out) {
  unsigned second = (j2 + ((j1 & 1) != 0 ? 0x1Fu : 0x7Du)) & 0xFFu;
  if (second >= 0x7F) second = (second + 1) & 0xFFu;
  // Signed on purpose: control bytes give a negative offset, halved toward zero.
  const int offset = (static_cast<int>(j1) - 0x21) / 2;
  unsigned first = static_cast<unsigned>(offset + 0x81) & 0xFFu;
  if (first > 0x9F) first = (first + 0x40) & 0xFFu;
  const char pair[2] = {static_cast<char>(first), static_cast<char>(second)};
  out.append(pair, 2);
}

}  // namespace orrery::detail
