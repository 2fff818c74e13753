#include <gtest/gtest.h>

#include "platform/platform.h"

#ifndef _WIN32
#include <iconv.h>

#include <bit>
#include <cerrno>
#endif

namespace orrery {
namespace {

using namespace std::string_view_literals;

struct DecodeCase {
  const char* name;
  std::string_view bytes;
  std::u16string_view text;
};

void expectDecodes(const DecodeCase& c) {
  SCOPED_TRACE(c.name);
  Text text;
  EXPECT_TRUE(platform::cp932ToUtf16(c.bytes, text));
  EXPECT_EQ(text, c.text);
}

// `bytes` decodes to `text`, and `text` encodes back to `bytes`.
void expectRoundTrip(const char* name, std::string_view bytes, std::u16string_view text) {
  SCOPED_TRACE(name);
  Text decoded;
  EXPECT_TRUE(platform::cp932ToUtf16(bytes, decoded));
  EXPECT_EQ(decoded, text);
  std::string encoded;
  EXPECT_TRUE(platform::utf16ToCp932(text, encoded));
  EXPECT_EQ(encoded, bytes);
}

TEST(CodePage932, DecodesAndEncodesShiftJis) {
  const struct {
    const char* name;
    std::string_view bytes;
    std::u16string_view text;
  } cases[] = {
      {"ascii", "EXECUTE SAORI/1.0\r\n"sv, u"EXECUTE SAORI/1.0\r\n"sv},
      {"hiragana", "a\x82\xA0"sv, u"aあ"sv},
      {"trail byte 0x5C", "\x95\\"sv, u"表"sv},
      {"half-width katakana", "\xB1"sv, u"\uFF71"sv},
      {"nec special row", "\x87\x40"sv, u"①"sv},
      {"ibm extension", "\xFA\x40"sv, u"ⅰ"sv},
  };
  for (const auto& c : cases) expectRoundTrip(c.name, c.bytes, c.text);
}

// Long ASCII runs are copied around the converter. A double byte whose trail lies in the
// ASCII range must stay whole next to such a run, on either side and at either end.
TEST(CodePage932, DoubleBytesNextToLongAsciiRuns) {
  const std::string run(40, 'x');
  const Text wideRun(run.begin(), run.end());
  const struct {
    const char* name;
    std::string bytes;
    Text text;
  } cases[] = {
      {"trail 0x5C then a run", "\x95\\" + run, u"表" + wideRun},
      {"run then trail 0x7E", run + "\x83~", wideRun + u"ミ"},
      {"each kind between runs", run + "\x95\\" + run + "\x83~" + run + "\xB1" + run + "\x82\xA0",
       wideRun + u"表" + wideRun + u"ミ" + wideRun + u"ｱ" + wideRun + u"あ"},
      {"short ascii before a run",
       "\x82\xA0"
       "ab\\" +
           run +
           "\x95\\"
           "cd",
       u"あab\\" + wideRun + u"表cd"},
      {"exactly 32 after a trail", "\x95\\" + run.substr(0, 32) + "\x95\\",
       u"表" + wideRun.substr(0, 32) + u"表"},
  };
  for (const auto& c : cases) expectRoundTrip(c.name, c.bytes, c.text);
}

// ASCII is taken a block at a time, and a long run in whole blocks; the first other
// character must end the run wherever it lies in a block. U+4E00 and U+8868 look like
// ASCII in their low byte.
TEST(CodePage932, EveryPlaceInAnAsciiBlockEndsTheRun) {
  for (std::size_t before = 0; before <= 40; ++before) {
    const std::string ascii(before, 'a');
    const Text wideAscii(ascii.begin(), ascii.end());
    expectRoundTrip(ascii.c_str(), ascii + "\x88\xEA" + "bcdefghijklmnopqrst" + ascii + "\x95\\",
                    wideAscii + u"一bcdefghijklmnopqrst" + wideAscii + u"表");
  }
}

// Decoding goes a few thousand units at a time: a text many times that long decodes to
// its piece's decoding repeated, wherever the edges fall.
TEST(CodePage932, LongTextsDecodeAsTheirPieces) {
  const std::string pieces[] = {
      std::string(45, 'x') +
          "\x95\\\x85\x40"
          "ab\x82\xA0",
      "\x82\xA0\x82\xA2\x02\x95\\\xB1\x85\x40\x01",
      [] {  // double bytes alone, long past a piece
        std::string run;
        for (int i = 0; i < 2100; ++i) run += "\x82\xA0";
        return run;
      }(),
  };
  for (const std::string& piece : pieces) {
    Text one;
    ASSERT_TRUE(platform::cp932ToUtf16(piece, one));
    std::string bytes;
    Text expected;
    while (bytes.size() < 40000) bytes += piece, expected += one;
    Text text;
    ASSERT_TRUE(platform::cp932ToUtf16(bytes, text));
    EXPECT_TRUE(text == expected) << piece.size();
  }
}

TEST(CodePage932, EmptyInputFailsAndLeavesTheOutput) {
  Text text = u"kept";
  std::string bytes = "kept";
  EXPECT_FALSE(platform::cp932ToUtf16("", text));
  EXPECT_FALSE(platform::utf16ToCp932(u"", bytes));
  EXPECT_EQ(text, u"kept");
  EXPECT_EQ(bytes, "kept");
}

// What does not convert is replaced and the conversion goes on after it.
TEST(CodePage932, UndecodableBytesAreReplaced) {
  const DecodeCase cases[] = {
      {"undefined double byte", "a\x85\x40z"sv, u"a\u30FBz"sv},
      {"undefined double byte at the end", "a\x85\x40"sv, u"a\u30FB"sv},
  };
  for (const DecodeCase& c : cases) expectDecodes(c);
}

TEST(CodePage932, UnencodableCharactersBecomeTheDefaultCharacter) {
  const struct {
    const char* name;
    std::u16string_view text;
    std::string_view bytes;
  } cases[] = {
      {"thai", u"a\u0E01z"sv, "a?z"sv},
      {"lone high surrogate",
       u"a\xD83D"
       u"z"sv,
       "a?z"sv},
      {"lone low surrogate at the end", u"a\xDE00"sv, "a?"sv},
      // No character beyond the BMP has a form: one default character per code unit.
      {"emoji", u"a\U0001F600z"sv, "a??z"sv},
      {"tag character alone", u"\U000E0028"sv, "??"sv},
      {"flag of England", u"\U0001F3F4\U000E0067\U000E0062\U000E007F"sv, "????????"sv},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes;
    EXPECT_TRUE(platform::utf16ToCp932(c.text, bytes));
    EXPECT_EQ(bytes, c.bytes);
  }
}

#ifndef _WIN32
// iconv reports these; the module replaces them the way Windows does where Windows has
// a rule (U+30FB for an unmapped double byte) and with U+FFFD otherwise.
TEST(CodePage932, PosixReplacementRules) {
  const DecodeCase cases[] = {
      {"lone lead byte at the end", "a\x82"sv, u"a\uFFFD"sv},
      {"lead byte before a non-trail byte", "\x82 z"sv, u"\uFFFD z"sv},
      {"undefined single byte", "a\xFDz"sv, u"a\uFFFDz"sv},
  };
  for (const DecodeCase& c : cases) expectDecodes(c);
}

// iconv over the whole input, each refused sequence replaced by `replace`, which returns
// the bytes it takes.
template <typename Out, typename Replace>
Out throughIconv(const char* to, const char* from, const void* in, std::size_t bytes,
                 Replace replace) {
  const iconv_t cd = iconv_open(to, from);
  Out out;
  char* src = static_cast<char*>(const_cast<void*>(in));
  while (bytes > 0) {
    typename Out::value_type chunk[64];
    char* dst = reinterpret_cast<char*>(chunk);
    std::size_t left = sizeof(chunk);
    const std::size_t result = iconv(cd, &src, &bytes, &dst, &left);
    out.append(chunk, (sizeof(chunk) - left) / sizeof(chunk[0]));
    if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    const std::size_t taken = replace(src, bytes, out);
    src += taken;
    bytes -= taken;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

Text decodedByIconv(std::string_view bytes) {
  return throughIconv<Text>(kUtf16, "CP932", bytes.data(), bytes.size(),
                            [](const char* p, std::size_t left, Text& out) -> std::size_t {
                              const auto lead = static_cast<unsigned char>(p[0]);
                              const auto trail = left >= 2 ? static_cast<unsigned char>(p[1]) : 0;
                              const bool pair = ((lead >= 0x81 && lead <= 0x9F) || lead >= 0xE0) &&
                                                lead <= 0xFC && trail >= 0x40 && trail <= 0xFC &&
                                                trail != 0x7F;
                              out += pair ? u'\x30FB' : u'\xFFFD';
                              return pair ? 2 : 1;
                            });
}

// Every character learnt once, then read from what was learnt: both times exactly what
// iconv over the whole text gives, with the same replacements. Each byte from 0x80 up
// is tried before every byte and at the end, and every code unit from 0x80 up but the
// surrogates is encoded.
TEST(CodePage932, EveryCharacterConvertsAsIconvDoes) {
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    int wrong = 0;
    for (int lead = 0x80; lead <= 0xFF && wrong < 5; ++lead) {
      for (int next = 0; next <= 0x100 && wrong < 5; ++next) {
        std::string bytes = "a" + std::string(1, static_cast<char>(lead));
        if (next < 0x100) bytes += {static_cast<char>(next), 'z'};
        Text text;
        EXPECT_TRUE(platform::cp932ToUtf16(bytes, text));
        if (text != decodedByIconv(bytes)) {
          ADD_FAILURE() << "decoding " << lead << " " << next;
          ++wrong;
        }
      }
    }
    std::u16string units;
    for (char32_t u = 0x80; u <= 0xFFFF; ++u) {
      if (u < 0xD800 || u > 0xDFFF) units += static_cast<char16_t>(u);
    }
    std::string encoded;
    EXPECT_TRUE(platform::utf16ToCp932(units, encoded));
    EXPECT_TRUE(encoded ==
                throughIconv<std::string>("CP932", kUtf16, units.data(), units.size() * 2,
                                          [](const char*, std::size_t, std::string& out) {
                                            out += '?';
                                            return sizeof(char16_t);
                                          }));
  }
}
#endif

}  // namespace
}  // namespace orrery
