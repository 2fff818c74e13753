// Every JIS X 0208 code, through both converters and then through code page 932 in
// both directions, against tables generated from Microsoft's published mapping
// (data/gen_jis0208_cp932.py). The same tests run natively (iconv) and as the Windows
// build (the Win32 conversion), so both platforms are held to the same tables.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "encoding/euc_jp.h"
#include "encoding/iso2022_jp.h"
#include "platform/platform.h"

namespace orrery {
namespace {

constexpr int kRows = 94;
constexpr int kCells = 94;
constexpr char16_t kUndefined = u'\xFFFF';
// What code page 932 decodes an undefined double byte to, on Windows and through the
// POSIX layer alike.
constexpr char16_t kUndefinedPair = u'\x30FB';

constexpr TextView kCp932ByJisCode[kRows] = {
#include "encoding/data/jis0208_cp932.inc"
};

// Codes whose character has a preferred code elsewhere, which encoding writes instead.
struct PreferredCode {
  int row;
  int cell;
  unsigned bytes;
};
constexpr PreferredCode kPreferredCodes[] = {
#include "encoding/data/cp932_preferred.inc"
};

// The textbook row/cell form of the Shift_JIS mapping, written independently of the
// byte arithmetic the converters use.
Bytes shiftJisFor(int row, int cell) {
  const int lead = row <= 62 ? (row + 0x101) / 2 : (row + 0x181) / 2;
  const int trail = row % 2 == 1 ? cell + 0x3F + (cell >= 64 ? 1 : 0) : cell + 0x9E;
  return {static_cast<char>(lead), static_cast<char>(trail)};
}

std::string describe(int row, int cell) {
  return "row " + std::to_string(row) + " cell " + std::to_string(cell);
}

std::string hex(TextView text) {
  std::string s;
  for (char16_t u : text) {
    static const char digits[] = "0123456789ABCDEF";
    s += " U+";
    for (int shift = 12; shift >= 0; shift -= 4) s += digits[(u >> shift) & 0xF];
  }
  return s;
}

TEST(Jis0208ToCp932, TableCoversEveryCode) {
  for (const auto& row : kCp932ByJisCode) EXPECT_EQ(row.size(), static_cast<std::size_t>(kCells));
}

TEST(Jis0208ToCp932, BothConvertersGiveTheStandardShiftJis) {
  std::vector<std::string> faults;
  for (int row = 1; row <= kRows; ++row) {
    for (int cell = 1; cell <= kCells; ++cell) {
      const char j1 = static_cast<char>(row + 0x20);
      const char j2 = static_cast<char>(cell + 0x20);
      const Bytes expected = shiftJisFor(row, cell);

      Bytes euc;
      eucJpToShiftJis(Bytes{static_cast<char>(j1 | 0x80), static_cast<char>(j2 | 0x80)}, euc);
      if (euc != expected) faults.push_back("EUC-JP " + describe(row, cell));

      Bytes iso;
      iso2022JpToShiftJis(Bytes("\x1B$B") + j1 + j2 + "\x1B(B", iso);
      if (iso != expected) faults.push_back("ISO-2022-JP " + describe(row, cell));
    }
  }
  EXPECT_TRUE(faults.empty()) << faults.size() << " faults, first: " << faults.front();
}

TEST(Jis0208ToCp932, CodePage932DecodesEveryCodeAsTheTable) {
  std::vector<std::string> faults;
  int defined = 0;
  for (int row = 1; row <= kRows; ++row) {
    for (int cell = 1; cell <= kCells; ++cell) {
      char16_t expected = kCp932ByJisCode[row - 1][cell - 1];
      if (expected == kUndefined) {
        expected = kUndefinedPair;
      } else {
        ++defined;
      }
      Text text;
      const bool ok = platform::cp932ToUtf16(shiftJisFor(row, cell), text);
      if (!ok || text != TextView(&expected, 1)) {
        faults.push_back(describe(row, cell) + ": got" + hex(text) + ", want" +
                         hex(TextView(&expected, 1)));
      }
    }
  }
  EXPECT_EQ(defined, 7336);
  for (std::size_t i = 0; i < faults.size() && i < 40; ++i) ADD_FAILURE() << faults[i];
  EXPECT_TRUE(faults.empty()) << faults.size() << " codes differ";
}

TEST(Jis0208ToCp932, CodePage932EncodesEveryDefinedCharacterToItsPreferredCode) {
  std::vector<std::string> faults;
  std::size_t preferred = 0;
  for (int row = 1; row <= kRows; ++row) {
    for (int cell = 1; cell <= kCells; ++cell) {
      const char16_t character = kCp932ByJisCode[row - 1][cell - 1];
      if (character == kUndefined) continue;
      Bytes expected = shiftJisFor(row, cell);
      if (preferred < std::size(kPreferredCodes) && kPreferredCodes[preferred].row == row &&
          kPreferredCodes[preferred].cell == cell) {
        const unsigned bytes = kPreferredCodes[preferred++].bytes;
        expected = {static_cast<char>(bytes >> 8), static_cast<char>(bytes & 0xFF)};
      }
      Bytes bytes;
      if (!platform::utf16ToCp932(TextView(&character, 1), bytes) || bytes != expected) {
        faults.push_back(describe(row, cell) + hex(TextView(&character, 1)));
      }
    }
  }
  EXPECT_EQ(preferred, std::size(kPreferredCodes));
  for (std::size_t i = 0; i < faults.size() && i < 40; ++i) ADD_FAILURE() << faults[i];
  EXPECT_TRUE(faults.empty()) << faults.size() << " characters encode differently";
}

}  // namespace
}  // namespace orrery
