#pragma once
// EUC-JP rewritten as Shift_JIS bytes, so that code page 932 can decode it.
#include "protocol/text.h"

namespace orrery {

// Appends the Shift_JIS form of the EUC-JP `bytes` to `out`. Two-byte JIS X 0208 codes
// are mapped, half-width katakana (8E xx) become their single byte, ASCII passes
// through, a lone trailing byte of 0x80 or more is dropped. Malformed input gives
// whatever bytes those rules produce. Returns true.
bool eucJpToShiftJis(BytesView bytes, Bytes& out);

}  // namespace orrery
