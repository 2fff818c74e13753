// The 8-bit entry as a host sees it: which charset each request is decoded in, which
// charset answers it, and Japanese text carried through a command and back.
#include <string>
#include <string_view>

#include "module_fixture.h"

namespace orrery::test {
namespace {

using CharsetTest = ModuleTest;

std::string versionQuery(std::string_view charset, std::string_view sender) {
  std::string request = "GET Version SAORI/1.0\r\n";
  if (!charset.empty()) request += "Charset: " + std::string(charset) + "\r\n";
  return request + "Sender: " + std::string(sender) + "\r\n\r\n";
}

constexpr std::string_view kNoContentShiftJis =
    "SAORI/1.0 204 No Content\r\nCharset: Shift_JIS\r\n\r\n";
constexpr std::string_view kNoContentUtf8 = "SAORI/1.0 204 No Content\r\nCharset: UTF-8\r\n\r\n";
constexpr std::string_view kBadRequestShiftJis =
    "SAORI/1.0 400 Bad Request\r\nCharset: Shift_JIS\r\n\r\n";
constexpr std::string_view kBadRequestUtf8 = "SAORI/1.0 400 Bad Request\r\nCharset: UTF-8\r\n\r\n";

TEST_F(CharsetTest, EachRequestCharsetIsAnsweredInItsResponseCharset) {
  const struct {
    const char* name;
    std::string request;
    std::string_view response;
  } cases[] = {
      {"no charset", versionQuery("", "\x93\xFA\x96\x7B"), kNoContentShiftJis},
      {"Shift_JIS", versionQuery("Shift_JIS", "\x93\xFA\x96\x7B"), kNoContentShiftJis},
      {"UTF-8", versionQuery("UTF-8", "\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80"), kNoContentUtf8},
      {"EUC-JP", versionQuery("EUC-JP", "\xC6\xFC\xCB\xDC\x8E\xB1"), kNoContentShiftJis},
      {"ISO-2022-JP", versionQuery("ISO-2022-JP", "\x1B$BF|K\\\x1B(B"), kNoContentShiftJis},
      {"utf-8 in lower case", versionQuery("utf-8", "\xE6\x97\xA5"), kNoContentUtf8},
      {"UTF8 with a trailing blank", versionQuery("UTF8 ", "\xE6\x97\xA5"), kNoContentUtf8},
      {"EUC_JP", versionQuery("EUC_JP", "\xC6\xFC"), kNoContentShiftJis},
      {"unknown value", versionQuery("UTF-16", "\x93\xFA"), kNoContentShiftJis},
      {"empty request", "", kBadRequestShiftJis},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(module().request(c.request), c.response);
  }
}

// The decoders really run: each of these breaks the header block only when decoded in
// the charset the request names.
TEST_F(CharsetTest, MalformedTextStopsTheNamedDecoder) {
  const struct {
    const char* name;
    std::string request;
    std::string_view response;
  } cases[] = {
      // The UTF-8 decoder stops at 0x82; code page 932 would read it as a character.
      {"UTF-8 stops at a stray byte", versionQuery("UTF-8", "\x82\xA0"), kBadRequestUtf8},
      {"the same bytes in Shift_JIS", versionQuery("Shift_JIS", "\x82\xA0"), kNoContentShiftJis},
      // Two-byte mode left open pairs up the line ends that follow.
      {"ISO-2022-JP left in two-byte mode", versionQuery("ISO-2022-JP", "\x1B$BF|"),
       kBadRequestShiftJis},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(module().request(c.request), c.response);
  }
}

// make_pair echoes its first list's item, so the text must survive decoding, the
// command and encoding byte for byte.
std::string makePair(std::string_view charset, std::string_view item) {
  std::string request = "EXECUTE SAORI/1.0\r\n";
  if (!charset.empty()) request += "Charset: " + std::string(charset) + "\r\n";
  return request + "Argument0: make_pair\r\nArgument1: " + std::string(item) +
         "\r\nArgument2: x\r\n\r\n";
}

std::string pairAnswer(std::string_view item, std::string_view charset) {
  return "SAORI/1.0 200 OK\r\nResult: \r\nValue0: " + std::string(item) +
         "\x01x\r\nCharset: " + std::string(charset) + "\r\n\r\n";
}

TEST_F(CharsetTest, JapaneseTextTravelsThroughACommandInEveryCharset) {
  // 日本ア (kanji, kanji, half-width katakana) and an emoji.
  const struct {
    const char* name;
    std::string request;
    std::string response;
  } cases[] = {
      {"Shift_JIS", makePair("", "\x93\xFA\x96\x7B\xB1"),
       pairAnswer("\x93\xFA\x96\x7B\xB1", "Shift_JIS")},
      {"UTF-8 with an emoji", makePair("UTF-8", "\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80"),
       pairAnswer("\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80", "UTF-8")},
      {"EUC-JP answered in Shift_JIS", makePair("EUC-JP", "\xC6\xFC\xCB\xDC\x8E\xB1"),
       pairAnswer("\x93\xFA\x96\x7B\xB1", "Shift_JIS")},
      {"ISO-2022-JP answered in Shift_JIS", makePair("ISO-2022-JP", "\x1B$BF|K\\\x1B(B"),
       pairAnswer("\x93\xFA\x96\x7B", "Shift_JIS")},
      // Spellings hosts write: 亜, full-width ａ and あ come back whole.
      {"EUC_JP", makePair("EUC_JP", "\xB0\xA1\xA3\xE1\xA4\xA2"),
       pairAnswer("\x88\x9F\x82\x81\x82\xA0", "Shift_JIS")},
      {"utf-8", makePair("utf-8", "\xE4\xBA\x9C\xEF\xBD\x81\xE3\x81\x82"),
       pairAnswer("\xE4\xBA\x9C\xEF\xBD\x81\xE3\x81\x82", "UTF-8")},
      {"UTF8 with a trailing blank", makePair("UTF8 ", "\xE4\xBA\x9C\xEF\xBD\x81\xE3\x81\x82"),
       pairAnswer("\xE4\xBA\x9C\xEF\xBD\x81\xE3\x81\x82", "UTF-8")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(module().request(c.request), c.response);
  }
}

TEST_F(CharsetTest, WideRequestsGetNoCharsetLine) {
  EXPECT_EQ(module().requestw(u"GET Version SAORI/1.0\r\nCharset: UTF-8\r\nSender: 日本\r\n\r\n"),
            u"SAORI/1.0 204 No Content\r\n");
}

}  // namespace
}  // namespace orrery::test
