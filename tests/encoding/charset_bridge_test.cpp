#include "encoding/charset_bridge.h"

#include <gtest/gtest.h>

namespace orrery {
namespace {

using namespace std::string_view_literals;

struct DecodeCase {
  const char* name;
  BytesView request;
  TextView expected;
};

// The first line of each request shows which decoder ran: "\x82\xA0" is あ only in
// code page 932, and stops the UTF-8 decoder; "\xA4\xA2" is あ only through EUC-JP;
// ESC $ B $ " ESC ( B is あ only through ISO-2022-JP.
TEST(DecodeRequest, ChoosesTheDecoderFromTheRawCharsetHeader) {
  const DecodeCase cases[] = {
      {"no header is code page 932", "\x82\xA0\r\nA: b\r\n\r\n"sv, u"あ\r\nA: b\r\n\r\n"sv},
      {"Shift_JIS", "\x82\xA0\r\nCharset: Shift_JIS\r\n\r\n"sv,
       u"あ\r\nCharset: Shift_JIS\r\n\r\n"sv},
      {"UTF-8", "\xE3\x81\x82\r\nCharset: UTF-8\r\n\r\n"sv, u"あ\r\nCharset: UTF-8\r\n\r\n"sv},
      {"UTF-8 keeps surrogate pairs", "\xF0\x9F\x98\x80\r\nCharset: UTF-8\r\n\r\n"sv,
       u"\xD83D\xDE00\r\nCharset: UTF-8\r\n\r\n"sv},
      {"UTF-8 skips a leading byte-order mark", "\xEF\xBB\xBFR\r\nCharset: UTF-8\r\n\r\n"sv,
       u"R\r\nCharset: UTF-8\r\n\r\n"sv},
      {"EUC-JP", "\xA4\xA2\r\nCharset: EUC-JP\r\n\r\n"sv, u"あ\r\nCharset: EUC-JP\r\n\r\n"sv},
      {"ISO-2022-JP", "\x1B$B$\"\x1B(B\r\nCharset: ISO-2022-JP\r\n\r\n"sv,
       u"あ\r\nCharset: ISO-2022-JP\r\n\r\n"sv},
      {"the header is found after the empty line too", "\xE3\x81\x82\r\n\r\nCharset: UTF-8\r\n"sv,
       u"あ\r\n\r\nCharset: UTF-8\r\n"sv},
      {"the first header decides", "\x82\xA0\r\nCharset: Shift_JIS\r\nCharset: UTF-8\r\n\r\n"sv,
       u"あ\r\nCharset: Shift_JIS\r\nCharset: UTF-8\r\n\r\n"sv},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Text text;
    decodeRequest(c.request, text);
    EXPECT_EQ(text, c.expected);
  }
}

// A value is recognised only up to its CR LF, in the spellings of charset_name_test;
// anything else falls back to code page 932, which reads "\x82\xA0" as あ.
TEST(DecodeRequest, UnrecognisedValuesFallBackToCodePage932) {
  const BytesView headers[] = {
      "\r\nCharset:  UTF-8\r\n"sv,
      "\r\nCharset: UTF-8\n"sv,
      "\r\nCharset: ISO-2022-JP-2\r\n"sv,
      "\r\nCharset: UTF-8\rX\r\n"sv,
      "\r\nCharset: UTF-8\v\r\n"sv,
      "\r\nCharset: UTF-8 \r"sv,
      "\r\ncharset: UTF-8\r\n"sv,
      "\nCharset: UTF-8\r\n"sv,
      // Cut short at the end of the input: every proper prefix of each value pattern.
      "\r\nCharset: "sv,
      "\r\nCharset: U"sv,
      "\r\nCharset: UTF-8"sv,
      "\r\nCharset: UTF-8\r"sv,
      "\r\nCharset: EUC-J"sv,
      "\r\nCharset: EUC-JP\r"sv,
      "\r\nCharset: ISO-2022-J"sv,
      "\r\nCharset: ISO-2022-JP\r"sv,
      "\r\nCharset"sv,
  };
  for (BytesView header : headers) {
    SCOPED_TRACE(Bytes(header.substr(2)));
    const Bytes request = "\x82\xA0" + Bytes(header);
    Text text;
    EXPECT_TRUE(decodeRequest(request, text));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text[0], u'あ');
    EXPECT_EQ(text.size(), 1 + header.size());
  }
}

TEST(DecodeRequest, FailuresLeaveWhatWasDecoded) {
  Text text;
  EXPECT_FALSE(decodeRequest("", text));
  EXPECT_EQ(text, u"");

  EXPECT_FALSE(decodeRequest("R\r\nCharset: UTF-8\r\n\x80\r\n", text));
  EXPECT_EQ(text, u"R\r\nCharset: UTF-8\r\n");
}

struct ResponseCase {
  const char* name;
  Text charset;
  Text expectedCharset;
  BytesView expected;
};

TEST(BuildResponse8, AnswersInUtf8OnlyWhenTheHeaderNamedUtf8) {
  const BytesView shiftJis =
      "SAORI/1.0 200 OK\r\nResult: \x82\xA0\r\nValue0: \x93\xFA\x96{\r\nCharset: Shift_JIS\r\n\r\n"sv;
  const ResponseCase cases[] = {
      {"UTF-8", u"UTF-8", u"UTF-8",
       "SAORI/1.0 200 OK\r\nResult: \xE3\x81\x82\r\nValue0: \xE6\x97\xA5\xE6\x9C\xAC\r\n"
       "Charset: UTF-8\r\n\r\n"sv},
      {"no header", u"", u"Shift_JIS", shiftJis},
      {"Shift_JIS", u"Shift_JIS", u"Shift_JIS", shiftJis},
      {"EUC-JP", u"EUC-JP", u"Shift_JIS", shiftJis},
      {"ISO-2022-JP", u"ISO-2022-JP", u"Shift_JIS", shiftJis},
      {"EUC_JP", u"EUC_JP", u"Shift_JIS", shiftJis},
      {"leading space", u" UTF-8", u"Shift_JIS", shiftJis},
      {"another name", u"UTF-16", u"Shift_JIS", shiftJis},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SaoriRequest record;
    record.charset = c.charset;
    record.result = u"あ";
    record.values.push_back(u"日本");
    Bytes out;
    EXPECT_TRUE(buildResponse8(record, out));
    EXPECT_EQ(out, c.expected);
    EXPECT_EQ(record.charset, c.expectedCharset);
  }
}

TEST(BuildResponse8, StatusResponsesCarryTheCharsetLine) {
  SaoriRequest empty;
  Bytes out;
  buildResponse8(empty, out);
  EXPECT_EQ(out, "SAORI/1.0 204 No Content\r\nCharset: Shift_JIS\r\n\r\n");
  EXPECT_EQ(empty.status, SaoriRequest::kNoContent);

  SaoriRequest refused;
  refused.status = SaoriRequest::kBadRequest;
  refused.charset = u"UTF-8";
  refused.result = u"dropped";
  out.clear();
  buildResponse8(refused, out);
  EXPECT_EQ(out, "SAORI/1.0 400 Bad Request\r\nCharset: UTF-8\r\n\r\n");
}

TEST(EncodeResponse, NamedCharsets) {
  const struct {
    const char* name;
    TextView charset;
    BytesView expected;
  } cases[] = {
      {"UTF-8", u"UTF-8", "a\xE8\xA1\xA8"sv},
      {"Shift_JIS", u"Shift_JIS", "a\x95\\"sv},
      {"anything else is code page 932", u"EUC-JP", "a\x95\\"sv},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes;
    EXPECT_TRUE(encodeResponse(u"a表", c.charset, bytes));
    EXPECT_EQ(bytes, c.expected);
  }
}

TEST(SystemConversions, OnlyCodePage932AndNonEmptyInput) {
  Text text = u"kept";
  Bytes bytes = "kept";
  EXPECT_FALSE(toWide("a", 65001, text));
  EXPECT_FALSE(toWide("", kCodePage932, text));
  EXPECT_FALSE(fromWide(u"a", 65001, bytes));
  EXPECT_FALSE(fromWide(u"", kCodePage932, bytes));
  EXPECT_EQ(text, u"kept");
  EXPECT_EQ(bytes, "kept");

  EXPECT_TRUE(toWide("\x95\\", kCodePage932, text));
  EXPECT_EQ(text, u"表");
  EXPECT_TRUE(fromWide(u"表", kCodePage932, bytes));
  EXPECT_EQ(bytes, "\x95\\");
}

}  // namespace
}  // namespace orrery
