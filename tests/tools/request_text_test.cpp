#include "request_text.h"

#include <gtest/gtest.h>

namespace orrery::host {
namespace {

TEST(UnescapeArgument, ResolvesTheToolsEscapes) {
  struct Case {
    const char* name;
    std::string word;
    std::optional<std::u16string> expected;
  };
  const Case cases[] = {
      {"plain", "abc", u"abc"},
      {"separators", "a\\1b\\2",
       u"a\x0001"
       u"b\x0002"},
      {"backslash and controls", "\\\\\\t\\n\\r", u"\\\t\n\r"},
      {"hex byte", "\\x41\\x7f", u"A\x007F"},
      {"hex unit", "\\u3042", u"\x3042"},
      {"UTF-8 text", "\xE3\x81\x82", u"\x3042"},
      {"lone backslash at the end", "a\\", std::nullopt},
      {"short hex", "\\x4", std::nullopt},
      {"bad hex digit", "\\u30G2", std::nullopt},
      {"unknown escape", "\\q", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    EXPECT_EQ(unescapeArgument(c.word, error), c.expected);
    EXPECT_EQ(error.empty(), c.expected.has_value());
  }
}

TEST(RequestText, BuildsNumberedArguments) {
  EXPECT_EQ(executeRequest({u"sort",
                            u"b\x0002"
                            u"a"},
                           "UTF-8"),
            u"EXECUTE SAORI/1.0\r\nCharset: UTF-8\r\nSender: orrery-call\r\n"
            u"Argument0: sort\r\nArgument1: b\x0002"
            u"a\r\n\r\n");
  EXPECT_EQ(versionRequest(""), u"GET Version SAORI/1.0\r\n\r\n");
}

TEST(RequestText, EncodesJapaneseForEachCharset) {
  const std::u16string text = u"\x3042";  // HIRAGANA LETTER A: JIS 0x2422
  EXPECT_EQ(encodeRequest(text, ""), "\x82\xA0");
  EXPECT_EQ(encodeRequest(text, "UTF-8"), "\xE3\x81\x82");
  EXPECT_EQ(encodeRequest(text, "EUC-JP"), "\xA4\xA2");
  EXPECT_EQ(encodeRequest(text, "ISO-2022-JP"), "\x1B$B$\"\x1B(B");
  EXPECT_EQ(encodeRequest(u"\xFF71", "EUC-JP"), "\x8E\xB1");  // half-width katakana A
  EXPECT_EQ(encodeRequest(text, "eucJP"), "\xA4\xA2");        // every spelling the module reads
  // Small roman numeral one, code page 932 FA 40: one '?', its trail byte '@' not let out.
  EXPECT_EQ(encodeRequest(u"\x2170x", "EUC-JP"), "?x");
  EXPECT_EQ(encodeRequest(u"\x2170\x3042", "ISO-2022-JP"), "?\x1B$B$\"\x1B(B");
}

}  // namespace
}  // namespace orrery::host
