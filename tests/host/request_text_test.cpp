#include "request_text.h"

#include <gtest/gtest.h>

namespace orrery::host {
namespace {

TEST(RequestText, BuildsNumberedArguments) {
  EXPECT_EQ(executeRequest({"sort",
                            "b\x02"
                            "a"},
                           "UTF-8", "orrery-call"),
            "EXECUTE SAORI/1.0\r\nCharset: UTF-8\r\nSender: orrery-call\r\n"
            "Argument0: sort\r\nArgument1: b\x02"
            "a\r\n\r\n");
  EXPECT_EQ(versionRequest(), "GET Version SAORI/1.0\r\n\r\n");
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
