#pragma once
// For the converter targets: texts of ASCII runs and JIS X 0208 pairs built from the fuzz
// input, written both as EUC-JP and as ISO-2022-JP, and the Shift_JIS they must become,
// worked out backwards (Shift_JIS to JIS) so the check does not repeat the converters'
// own arithmetic.
#include <vector>

#include "fuzz_support.h"

namespace orrery::fuzz {

struct JisText {
  Bytes eucJp;
  Bytes iso2022Jp;
  std::vector<std::pair<bool, std::pair<std::uint8_t, std::uint8_t>>> pieces;  // pair?, bytes
};

inline JisText jisText(FuzzInput& in) {
  JisText t;
  bool twoByte = false;
  while (!in.exhausted()) {
    const std::uint8_t b = in.byte();
    if (b & 0x80) {
      // A JIS X 0208 pair: both bytes in 0x21 to 0x7E.
      const auto j1 = static_cast<std::uint8_t>(0x21 + (b & 0x7F) % 94);
      const auto j2 = static_cast<std::uint8_t>(0x21 + in.byte() % 94);
      t.eucJp.push_back(static_cast<char>(j1 | 0x80));
      t.eucJp.push_back(static_cast<char>(j2 | 0x80));
      if (!twoByte) t.iso2022Jp += "\x1B$B";
      twoByte = true;
      t.iso2022Jp.push_back(static_cast<char>(j1));
      t.iso2022Jp.push_back(static_cast<char>(j2));
      t.pieces.push_back({true, {j1, j2}});
    } else {
      // ASCII other than ESC, which would start an escape sequence.
      const auto a = static_cast<std::uint8_t>(b == 0x1B ? 0x20 : b);
      t.eucJp.push_back(static_cast<char>(a));
      if (twoByte) t.iso2022Jp += "\x1B(B";
      twoByte = false;
      t.iso2022Jp.push_back(static_cast<char>(a));
      t.pieces.push_back({false, {a, 0}});
    }
  }
  return t;
}

// Shift_JIS back to the JIS row and cell bytes.
inline std::pair<std::uint8_t, std::uint8_t> shiftJisToJis(std::uint8_t s1, std::uint8_t s2) {
  int row = (s1 >= 0xE0 ? s1 - 0xC1 : s1 - 0x81) * 2 + 0x21;
  int cell;
  if (s2 >= 0x9F) {
    ++row;
    cell = s2 - 0x7E;
  } else {
    cell = s2 - (s2 > 0x7F ? 0x20 : 0x1F);
  }
  return {static_cast<std::uint8_t>(row), static_cast<std::uint8_t>(cell)};
}

// The converted bytes must be, piece by piece, the ASCII byte itself or a Shift_JIS pair
// that maps back to the JIS pair.
inline void checkShiftJis(const JisText& t, BytesView out) {
  std::size_t p = 0;
  for (const auto& [pair, bytes] : t.pieces) {
    if (!pair) {
      FUZZ_CHECK(p < out.size() && static_cast<std::uint8_t>(out[p]) == bytes.first);
      ++p;
      continue;
    }
    FUZZ_CHECK(p + 1 < out.size());
    const auto s1 = static_cast<std::uint8_t>(out[p]);
    const auto s2 = static_cast<std::uint8_t>(out[p + 1]);
    FUZZ_CHECK(((s1 >= 0x81 && s1 <= 0x9F) || (s1 >= 0xE0 && s1 <= 0xEF)) && s2 >= 0x40 &&
               s2 <= 0xFC && s2 != 0x7F);
    FUZZ_CHECK(shiftJisToJis(s1, s2) == bytes);
    p += 2;
  }
  FUZZ_CHECK(p == out.size());
}

}  // namespace orrery::fuzz
