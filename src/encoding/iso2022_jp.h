#pragma once
// ISO-2022-JP rewritten as Shift_JIS bytes, so that code page 932 can decode it.
#include "protocol/text.h"

namespace orrery {

// Appends the Shift_JIS form of the ISO-2022-JP `bytes` to `out`, starting in one-byte
// mode. ESC $ B and ESC ( B switch modes and are dropped; any other escape is copied.
// In two-byte mode every pair is mapped, control bytes included, and a lone last byte
// is copied. Returns true.
bool iso2022JpToShiftJis(BytesView bytes, Bytes& out);

}  // namespace orrery
