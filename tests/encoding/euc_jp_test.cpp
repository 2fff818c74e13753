#include "encoding/euc_jp.h"

#include <gtest/gtest.h>

#include "encoding/exact_buffer.h"

namespace orrery {
namespace {

using test::ConvertCase;

void expectConverts(const ConvertCase& c) { test::expectConverts(eucJpToShiftJis, c); }

using namespace std::string_view_literals;

TEST(EucJpToShiftJis, MapsJisX0208PairsAndKatakana) {
  const ConvertCase cases[] = {
      {"hiragana a", "\xA4\xA2"sv, "\x82\xA0"sv},
      {"first kanji", "\xB0\xA1"sv, "\x88\x9F"sv},
      {"last row of level 2", "\xF4\xA6"sv, "\xEA\xA4"sv},
      {"row 94 cell 94", "\xFE\xFE"sv, "\xEF\xFC"sv},
      {"last lead below 0xA0", "\xDE\xA1"sv, "\x9F\x9F"sv},
      {"first lead from 0xE0", "\xDF\xA1"sv, "\xE0\x40"sv},
      {"odd row skips 0x7F", "\xB1\xE0"sv, "\x89\x80"sv},
      {"odd row just below 0x7F", "\xB1\xDF"sv, "\x89\x7E"sv},
      {"half-width katakana a", "\x8E\xB1"sv, "\xB1"sv},
      {"single shift sets the high bit", "\x8E\x31"sv, "\xB1"sv},
      {"ascii passes through", "EXECUTE SAORI/1.0\r\nCharset: EUC-JP\r\n"sv,
       "EXECUTE SAORI/1.0\r\nCharset: EUC-JP\r\n"sv},
      {"mixed text", "a\xA4\xA2\x8E\xB1z\xC6\xFC"sv, "a\x82\xA0\xB1z\x93\xFA"sv},
      {"empty", ""sv, ""sv},
  };
  for (const auto& c : cases) expectConverts(c);
}

// Bytes outside JIS X 0208 are not rejected: they go through the same arithmetic,
// which wraps and halves toward zero.
TEST(EucJpToShiftJis, MapsMalformedPairsByTheSameArithmetic) {
  const ConvertCase cases[] = {
      {"lead 0x80 with a control trail", "\x80\x02"sv, "\x71\x80"sv},
      {"lead 0x80 with an ascii trail", "\x80\x41"sv, "\x71\xBF"sv},
      {"lead 0xA0 halves to zero", "\xA0\xA1"sv, "\x81\x9F"sv},
      {"lead 0xFF", "\xFF\xC1"sv, "\xF0\x60"sv},
      {"jis x 0212 takes two bytes as a pair", "\x8F\xA2\xAF\xB0"sv, "\x78\x41\x88\x4F"sv},
      {"jis x 0212 third byte left alone is dropped", "\x8F\xA2\xAF"sv, "\x78\x41"sv},
  };
  for (const auto& c : cases) expectConverts(c);
}

TEST(EucJpToShiftJis, TruncatedSequences) {
  const ConvertCase cases[] = {
      {"lone lead byte", "\xA4"sv, ""sv},
      {"lone single shift", "\x8E"sv, ""sv},
      {"lone 0x8F", "\x8F"sv, ""sv},
      {"lone 0x80", "\x80"sv, ""sv},
      {"pair then lone lead", "\xA4\xA2\xA4"sv, "\x82\xA0"sv},
      {"pair then lone single shift", "\xA4\xA2\x8E"sv, "\x82\xA0"sv},
      {"lone ascii at the end stays", "\xA4\xA2x"sv, "\x82\xA0x"sv},
      {"ascii alone", "x"sv, "x"sv},
      {"katakana then ascii at the end", "\x8E\xB1\r"sv, "\xB1\r"sv},
  };
  for (const auto& c : cases) expectConverts(c);
}

// ASCII runs are scanned in blocks; a pair at any offset within or after a block must
// still be found, and a run must stop at the end of the input.
TEST(EucJpToShiftJis, PairsAtEveryOffsetOfAnAsciiRun) {
  for (std::size_t before = 0; before <= 20; ++before) {
    for (std::size_t after = 0; after <= 9; ++after) {
      SCOPED_TRACE(testing::Message() << before << " before, " << after << " after");
      const Bytes input = Bytes(before, 'a') + "\xA4\xA2" + Bytes(after, 'b');
      const test::ExactBuffer<char> buffer(input);
      Bytes out;
      eucJpToShiftJis(buffer.view(), out);
      EXPECT_EQ(out, Bytes(before, 'a') + "\x82\xA0" + Bytes(after, 'b'));
    }
  }
}

TEST(EucJpToShiftJis, AppendsToWhatIsThere) {
  Bytes out = "x";
  eucJpToShiftJis("\xA4\xA2", out);
  EXPECT_EQ(out, "x\x82\xA0");
}

}  // namespace
}  // namespace orrery
