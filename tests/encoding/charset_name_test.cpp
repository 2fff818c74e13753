// Every spelling hosts use for a charset, on both sides of the 8-bit bridge: which
// decoder the raw value picks, and which charset answers the parsed value.
#include "encoding/charset_name.h"

#include <gtest/gtest.h>

#include "encoding/charset_bridge.h"

namespace orrery {
namespace {

using namespace std::string_view_literals;

struct Spelling {
  BytesView value;
  RequestCharset charset;
};

constexpr RequestCharset kSjis = RequestCharset::kShiftJis;
constexpr RequestCharset kUtf8 = RequestCharset::kUtf8;
constexpr RequestCharset kEuc = RequestCharset::kEucJp;
constexpr RequestCharset kJis = RequestCharset::kIso2022Jp;

constexpr Spelling kSpellings[] = {
    {"UTF-8", kUtf8},
    {"utf-8", kUtf8},
    {"Utf-8", kUtf8},
    {"UTF8", kUtf8},
    {"utf8", kUtf8},
    {"UTF_8", kUtf8},
    {"UTF-8 ", kUtf8},
    {"UTF8 ", kUtf8},
    {"UTF-8\t \t", kUtf8},
    {"EUC-JP", kEuc},
    {"euc-jp", kEuc},
    {"EUCJP", kEuc},
    {"eucJP", kEuc},
    {"EUC_JP", kEuc},
    {"EUC_JP  ", kEuc},
    {"ISO-2022-JP", kJis},
    {"iso-2022-jp", kJis},
    {"Iso-2022-Jp", kJis},
    {"ISO-2022-JP\t", kJis},
    {"Shift_JIS", kSjis},
    {"shift_jis", kSjis},
    {"Shift-JIS", kSjis},
    {"SJIS", kSjis},
    {"CP932", kSjis},
    {"Windows-31J", kSjis},
    {"MS_Kanji", kSjis},
    // Not names of the three other charsets: blanks count only at the end, and nothing
    // but letter case and the dash may differ.
    {" UTF-8", kSjis},
    {"UTF-8-", kSjis},
    {"UTF 8", kSjis},
    {"UTF-16", kSjis},
    {"UTF-8\v", kSjis},
    {"EUC-KR", kSjis},
    {"EUC--JP", kSjis},
    {"ISO2022JP", kSjis},
    {"", kSjis},
};

Text widen(BytesView ascii) {
  Text text;
  for (char c : ascii) text.push_back(static_cast<unsigned char>(c));
  return text;
}

TEST(CharsetNamed, EverySpellingInBytesAndInUtf16) {
  for (const Spelling& s : kSpellings) {
    SCOPED_TRACE(Bytes(s.value));
    EXPECT_EQ(charsetNamed(s.value), s.charset);
    EXPECT_EQ(charsetNamed(widen(s.value)), s.charset);
  }
  // Only ASCII letters fold: a full-width U is no U.
  EXPECT_EQ(charsetNamed("\xEF\xBC\xB5TF-8"sv), kSjis);
  EXPECT_EQ(charsetNamed(u"\xFF35TF-8"sv), kSjis);
}

// あ in each charset; each decodes to あ only through its own decoder.
BytesView hiraganaA(RequestCharset charset) {
  switch (charset) {
    case RequestCharset::kUtf8:
      return "\xE3\x81\x82"sv;
    case RequestCharset::kEucJp:
      return "\xA4\xA2"sv;
    case RequestCharset::kIso2022Jp:
      return "\x1B$B$\"\x1B(B"sv;
    case RequestCharset::kShiftJis:
      break;
  }
  return "\x82\xA0"sv;
}

TEST(CharsetNamed, TheRawValuePicksTheDecoder) {
  for (const Spelling& s : kSpellings) {
    SCOPED_TRACE(Bytes(s.value));
    const Bytes request =
        Bytes(hiraganaA(s.charset)) + "\r\nCharset: " + Bytes(s.value) + "\r\n\r\n";
    Text text;
    decodeRequest(request, text);
    EXPECT_EQ(text, u"あ\r\nCharset: " + widen(s.value) + u"\r\n\r\n");
  }
}

TEST(CharsetNamed, TheParsedValuePicksTheResponseCharset) {
  for (const Spelling& s : kSpellings) {
    SCOPED_TRACE(Bytes(s.value));
    SaoriRequest record;
    record.charset = record.keep(widen(s.value));
    record.result = u"あ";
    Bytes out;
    buildResponse8(record, out);
    if (s.charset == kUtf8) {
      EXPECT_EQ(out, "SAORI/1.0 200 OK\r\nResult: \xE3\x81\x82\r\nCharset: UTF-8\r\n\r\n");
    } else {
      EXPECT_EQ(out, "SAORI/1.0 200 OK\r\nResult: \x82\xA0\r\nCharset: Shift_JIS\r\n\r\n");
    }
  }
}

// The raw value ends at the first CR LF; a value the request ends inside names nothing.
TEST(CharsetOfValueLine, EndsAtTheFirstLineEnd) {
  const Spelling cases[] = {
      {"UTF8 \r\nCharset: EUC-JP\r\n", kUtf8},
      {"EUC_JP\r\n", kEuc},
      {"EUC_JP", kSjis},
      {"EUC_JP \r", kSjis},
      {"EUC_JP\rX\r\n", kSjis},
      {"EUC_JP\nX\r\n", kSjis},
  };
  for (const Spelling& c : cases) {
    SCOPED_TRACE(Bytes(c.value));
    EXPECT_EQ(charsetOfValueLine(c.value), c.charset);
  }
}

}  // namespace
}  // namespace orrery
