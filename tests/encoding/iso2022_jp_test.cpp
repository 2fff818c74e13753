#include "encoding/iso2022_jp.h"

#include <gtest/gtest.h>

#include "encoding/exact_buffer.h"

namespace orrery {
namespace {

using namespace std::string_view_literals;

using test::ConvertCase;

void expectConverts(const ConvertCase& c) { test::expectConverts(iso2022JpToShiftJis, c); }

TEST(Iso2022JpToShiftJis, SwitchesModesAndMapsPairs) {
  const ConvertCase cases[] = {
      {"hiragana a", "\x1B$B$\"\x1B(B"sv, "\x82\xA0"sv},
      {"several pairs", "\x1B$BF|K\\8l\x1B(B"sv, "\x93\xFA\x96\x7B\x8C\xEA"sv},
      {"ascii passes through", "EXECUTE SAORI/1.0\r\nCharset: ISO-2022-JP\r\n"sv,
       "EXECUTE SAORI/1.0\r\nCharset: ISO-2022-JP\r\n"sv},
      {"back and forth", "a\x1B$B$\"\x1B(Bb\x1B$B$$\x1B(B\r\n"sv,
       "a\x82\xA0"
       "b\x82\xA2\r\n"sv},
      {"row 94 cell 94", "\x1B$B~~"sv, "\xEF\xFC"sv},
      {"switch to one-byte mode when already there", "\x1B(Bx"sv, "x"sv},
      {"escapes alone give nothing", "\x1B$B\x1B(B"sv, ""sv},
      {"empty", ""sv, ""sv},
  };
  for (const auto& c : cases) expectConverts(c);
}

TEST(Iso2022JpToShiftJis, UnrecognisedEscapesAreCopied) {
  const ConvertCase cases[] = {
      {"jis c 6226 in one-byte mode", "\x1B$@$\""sv, "\x1B$@$\""sv},
      {"jis x 0201 roman in one-byte mode", "\x1B(Jx"sv, "\x1B(Jx"sv},
      // In two-byte mode the escape is just the first byte of a pair.
      {"jis c 6226 in two-byte mode", "\x1B$B\x1B$@$\""sv, "\x7E\x43\x90\xA2\""sv},
      {"escape as the second byte of a pair", "\x1B$B$\x1B(B"sv, "\x82\x99\x84\xC0"sv},
  };
  for (const auto& c : cases) expectConverts(c);
}

// Every pair is mapped in two-byte mode, line ends and high bytes included, with the
// arithmetic wrapping modulo 256.
TEST(Iso2022JpToShiftJis, MapsEveryPairInTwoByteMode) {
  const ConvertCase cases[] = {
      {"line end", "\x1B$B\r\n"sv, "\x77\x29"sv},
      {"nul pair", "\x1B$B\x00\x00"sv, "\x71\x7D"sv},
      {"control lead halves toward zero", "\x1B$B\x20\x21"sv, "\x81\x9F"sv},
      {"second byte wraps past 0xFF", "\x1B$B\x24\x82"sv, "\x82\x00"sv},
      {"odd lead wraps the second byte", "\x1B$B\x21\xE1"sv, "\x81\x00"sv},
      {"first byte wraps past 0xFF", "\x1B$B\xFF\x41"sv, "\x30\x60"sv},
      {"high lead", "\x1B$B\xA4\xA2"sv, "\x02\x1F"sv},
  };
  for (const auto& c : cases) expectConverts(c);
}

TEST(Iso2022JpToShiftJis, TruncatedInput) {
  const ConvertCase cases[] = {
      {"escape alone", "\x1B"sv, "\x1B"sv},
      {"escape dollar", "\x1B$"sv, "\x1B$"sv},
      {"escape paren", "\x1B("sv, "\x1B("sv},
      {"text then escape dollar", "ab\x1B$"sv, "ab\x1B$"sv},
      {"two-byte switch at the very end", "ab\x1B$B"sv, "ab"sv},
      {"lone last byte in two-byte mode", "\x1B$B$\"$"sv, "\x82\xA0$"sv},
      {"escape alone in two-byte mode", "\x1B$B\x1B"sv, "\x1B"sv},
      {"escape paren in two-byte mode is a pair", "\x1B$B\x1B("sv, "\x7E\x47"sv},
      {"one-byte switch at the very end", "\x1B$B$\"\x1B(B"sv, "\x82\xA0"sv},
  };
  for (const auto& c : cases) expectConverts(c);
}

}  // namespace
}  // namespace orrery
