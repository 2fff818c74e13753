#include <gtest/gtest.h>

#include "platform/platform.h"

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
  std::u16string text;
  EXPECT_TRUE(platform::cp932ToUtf16(c.bytes, text));
  EXPECT_EQ(text, c.text);
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
      // ASCII runs are copied around the converter: trail bytes in the ASCII range must
      // stay with their lead byte on every side of a run.
      {"runs of each kind",
       "ab\x95\\cd\xB1\xB2"
       "ef\x82\xA0\x82\xA2gh"sv,
       u"ab表cdｱｲefあいgh"sv},
      {"ascii-range trails in a row", "\x83\\\x83~\\~"sv, u"ソミ\\~"sv},
      {"backslash between two trails", "\x95\\\\\x95\\"sv, u"表\\表"sv},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::u16string text;
    EXPECT_TRUE(platform::cp932ToUtf16(c.bytes, text));
    EXPECT_EQ(text, c.text);
    std::string bytes;
    EXPECT_TRUE(platform::utf16ToCp932(c.text, bytes));
    EXPECT_EQ(bytes, c.bytes);
  }
}

TEST(CodePage932, EmptyInputFailsAndLeavesTheOutput) {
  std::u16string text = u"kept";
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

  std::string bytes;
  EXPECT_TRUE(platform::utf16ToCp932(u"a\xD83D\xDE00z", bytes));
  EXPECT_EQ(bytes, "a?z");
}
#endif

}  // namespace
}  // namespace orrery
