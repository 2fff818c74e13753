// The 8-bit request path end to end inside the module object: decoding, parsing,
// dispatch and the encoded response, with a test command that answers Argument1 as
// Value0 so the decoded text is visible byte for byte.
#include "module/request_bridge.h"

#include <gtest/gtest.h>

#include <memory>

#include "protocol/command_dispatcher.h"

namespace orrery {
namespace {

using namespace std::string_view_literals;

class EchoCommand : public IRequestEntry {
 public:
  bool execute(SaoriRequest& record) override {
    record.values.push_back(record.argument(1));
    return true;
  }
  std::uint32_t listArgumentCount() const override { return 1; }
};

class EchoModule : public CommandDispatcher {
 public:
  EchoModule() : CommandDispatcher(nullptr) {
    registry_.add(u"echo", std::make_shared<EchoCommand>());
  }
  bool load(const Bytes&) override { return true; }
  bool unload() override { return true; }
};

Bytes echoRequest(BytesView charsetHeader, BytesView argument) {
  return "EXECUTE SAORI/1.0\r\n" + Bytes(charsetHeader) +
         "Argument0: echo\r\nArgument1: " + Bytes(argument) + "\r\n\r\n";
}

Bytes echoResponse(BytesView value, BytesView charset) {
  return "SAORI/1.0 200 OK\r\nResult: \r\nValue0: " + Bytes(value) +
         "\r\nCharset: " + Bytes(charset) + "\r\n\r\n";
}

// 日本語表 in each charset; 表 has the trail byte 0x5C in Shift_JIS.
constexpr BytesView kShiftJis = "\x93\xFA\x96\x7B\x8C\xEA\x95\x5C"sv;
constexpr BytesView kUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE8\xA1\xA8"sv;
constexpr BytesView kEucJp = "\xC6\xFC\xCB\xDC\xB8\xEC\xC9\xBD"sv;
constexpr BytesView kIso2022Jp = "\x1B$BF|K\\8lI=\x1B(B"sv;

TEST(RequestBridge, DecodesEachCharsetAndAnswersInTheResponseCharset) {
  const struct {
    const char* name;
    Bytes request;
    Bytes response;
  } cases[] = {
      {"no charset", echoRequest("", kShiftJis), echoResponse(kShiftJis, "Shift_JIS")},
      {"Shift_JIS", echoRequest("Charset: Shift_JIS\r\n", kShiftJis),
       echoResponse(kShiftJis, "Shift_JIS")},
      {"UTF-8", echoRequest("Charset: UTF-8\r\n", kUtf8), echoResponse(kUtf8, "UTF-8")},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + echoRequest("Charset: UTF-8\r\n", kUtf8),
       echoResponse(kUtf8, "UTF-8")},
      {"EUC-JP", echoRequest("Charset: EUC-JP\r\n", kEucJp), echoResponse(kShiftJis, "Shift_JIS")},
      {"ISO-2022-JP", echoRequest("Charset: ISO-2022-JP\r\n", kIso2022Jp),
       echoResponse(kShiftJis, "Shift_JIS")},
      {"emoji through UTF-8", echoRequest("Charset: UTF-8\r\n", "a\xF0\x9F\x98\x80z"),
       echoResponse("a\xF0\x9F\x98\x80z", "UTF-8")},
      {"half-width katakana through EUC-JP", echoRequest("Charset: EUC-JP\r\n", "\x8E\xB1"),
       echoResponse("\xB1", "Shift_JIS")},
      // The raw search finds the header after the empty line and decodes as UTF-8, but
      // the parser never reads it, so the answer is in Shift_JIS.
      {"UTF-8 named only after the empty line", echoRequest("", kUtf8) + "Charset: UTF-8\r\n",
       echoResponse(kShiftJis, "Shift_JIS")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EchoModule module;
    Bytes out;
    EXPECT_TRUE(module.request(c.request, out));
    EXPECT_EQ(out, c.response);
  }
}

TEST(RequestBridge, DecodingFailuresAreAnsweredInTheParsedCharset) {
  const struct {
    const char* name;
    Bytes request;
    Bytes response;
  } cases[] = {
      {"empty request", "", "SAORI/1.0 400 Bad Request\r\nCharset: Shift_JIS\r\n\r\n"},
      // The decoder stops at 0x80, after the Charset line was read: no closing empty
      // line, so 400, but in UTF-8.
      {"malformed UTF-8 in an argument", echoRequest("Charset: UTF-8\r\n", "a\x80"),
       "SAORI/1.0 400 Bad Request\r\nCharset: UTF-8\r\n\r\n"},
      // Two-byte mode left open swallows the line ends, so the header block never closes.
      {"ISO-2022-JP without its closing escape",
       echoRequest("Charset: ISO-2022-JP\r\n", "\x1B$B$\""),
       "SAORI/1.0 400 Bad Request\r\nCharset: Shift_JIS\r\n\r\n"},
      {"an unknown value is code page 932", echoRequest("Charset: UTF-16\r\n", kShiftJis),
       echoResponse(kShiftJis, "Shift_JIS")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EchoModule module;
    Bytes out;
    EXPECT_TRUE(module.request(c.request, out));
    EXPECT_EQ(out, c.response);
  }
}

TEST(RequestBridge, WideRequestsIgnoreTheCharsetHeader) {
  EchoModule module;
  Text out;
  EXPECT_TRUE(module.requestw(
      u"EXECUTE SAORI/1.0\r\nCharset: UTF-8\r\nArgument0: echo\r\nArgument1: 日本\r\n\r\n", out));
  EXPECT_EQ(out, u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: 日本\r\n");
}

}  // namespace
}  // namespace orrery
