#pragma once
// The arithmetic JIS X 0208 to Shift_JIS mapping shared by the EUC-JP and ISO-2022-JP
// converters. It is applied to whatever bytes arrive, so out-of-range inputs wrap
// modulo 256 instead of being rejected; for codes 0x21..0x7E in both bytes it is the
// published mapping.
#include "protocol/text.h"

namespace orrery::detail {

// Writes the Shift_JIS pair for JIS bytes `j1`, `j2` (0..255) at `out`; returns the
// position after it.
inline char* writeShiftJisPair(unsigned j1, unsigned j2, char* out) {
  // Written without branches: the parity of j1 is random in real text.
  unsigned second = (j2 + 0x7Du - (j1 & 1u) * (0x7Du - 0x1Fu)) & 0xFFu;
  second = (second + (second >= 0x7Fu ? 1u : 0u)) & 0xFFu;
  // Signed on purpose: control bytes give a negative offset, halved toward zero.
  const int offset = (static_cast<int>(j1) - 0x21) / 2;
  unsigned first = static_cast<unsigned>(offset + 0x81) & 0xFFu;
  first = (first + (first > 0x9Fu ? 0x40u : 0u)) & 0xFFu;
  out[0] = static_cast<char>(first);
  out[1] = static_cast<char>(second);
  return out + 2;
}

}  // namespace orrery::detail
