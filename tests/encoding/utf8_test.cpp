#include "encoding/utf8.h"

#include <gtest/gtest.h>

#include "encoding/exact_buffer.h"

namespace orrery {
namespace {

using namespace std::string_view_literals;

struct DecodeCase {
  const char* name;
  BytesView input;
  bool complete;
  TextView expected;
};

void expectDecodes(const DecodeCase& c) {
  SCOPED_TRACE(c.name);
  const test::ExactBuffer<char> input(c.input);
  Text text;
  EXPECT_EQ(decodeUtf8(input.view(), text), c.complete);
  EXPECT_EQ(text, c.expected);
}

TEST(DecodeUtf8, WellFormedSequences) {
  const DecodeCase cases[] = {
      {"empty", ""sv, true, u""sv},
      {"ascii", "Argument0: sort\r\n"sv, true, u"Argument0: sort\r\n"sv},
      {"two bytes", "\xC3\xA9"sv, true, u"\u00E9"sv},
      {"three bytes", "\xE3\x81\x82"sv, true, u"\u3042"sv},
      {"last two-byte value", "\xDF\xBF"sv, true, u"\u07FF"sv},
      {"last three-byte value", "\xEF\xBF\xBF"sv, true, u"\xFFFF"sv},
      {"emoji becomes its surrogate pair", "\xF0\x9F\x98\x80"sv, true, u"\xD83D\xDE00"sv},
      {"first supplementary", "\xF0\x90\x80\x80"sv, true, u"\xD800\xDC00"sv},
      {"last supplementary", "\xF4\x8F\xBF\xBF"sv, true, u"\xDBFF\xDFFF"sv},
      {"mixed", "a\xE3\x81\x82\xF0\x9F\x98\x80z"sv, true, u"a\u3042\xD83D\xDE00z"sv},
  };
  for (const auto& c : cases) expectDecodes(c);
}

TEST(DecodeUtf8, LenientForms) {
  const DecodeCase cases[] = {
      {"overlong zero", "\xC0\x80"sv, true, u"\x0000"sv},
      {"overlong three-byte zero", "\xE0\x80\x80"sv, true, u"\x0000"sv},
      {"continuation bits only are read", "\xC3\x41"sv, true, u"\u00C1"sv},
      {"encoded surrogate stays a lone unit", "\xED\xA0\xBD"sv, true, u"\xD83D"sv},
      {"bom later is a character", "a\xEF\xBB\xBF"sv, true, u"a\xFEFF"sv},
  };
  for (const auto& c : cases) expectDecodes(c);
}

// Four-byte leads that are not a well-formed supplementary character, and every five-
// and six-byte form, become one asterisk and consume their whole length.
TEST(DecodeUtf8, LongFormsBecomeAnAsterisk) {
  const DecodeCase cases[] = {
      {"above U+10FFFF", "\xF4\x90\x80\x80z"sv, true, u"*z"sv},
      {"overlong four bytes", "\xF0\x8F\xBF\xBFz"sv, true, u"*z"sv},
      {"lead F5", "\xF5\x80\x80\x80z"sv, true, u"*z"sv},
      {"lead F7", "\xF7\xBF\xBF\xBFz"sv, true, u"*z"sv},
      {"bad continuation", "\xF0\x9F\x98\x41z"sv, true, u"*z"sv},
      {"continuation too high", "\xF0\x9F\xC0\x80z"sv, true, u"*z"sv},
      {"five bytes", "\xF8\x88\x80\x80\x80z"sv, true, u"*z"sv},
      {"six bytes", "\xFC\x84\x80\x80\x80\x80z"sv, true, u"*z"sv},
  };
  for (const auto& c : cases) expectDecodes(c);
}

TEST(DecodeUtf8, ByteOrderMark) {
  const DecodeCase cases[] = {
      {"skipped at the start", "\xEF\xBB\xBFR\r\n"sv, true, u"R\r\n"sv},
      {"alone", "\xEF\xBB\xBF"sv, true, u""sv},
      {"only once", "\xEF\xBB\xBF\xEF\xBB\xBF"sv, true, u"\xFEFF"sv},
      {"truncated mark is a truncated sequence", "\xEF\xBB"sv, false, u""sv},
  };
  for (const auto& c : cases) expectDecodes(c);
}

// Decoding stops at the first byte that cannot lead or at a sequence the input cuts
// short; what came before stays.
TEST(DecodeUtf8, StopsAtMalformedOrTruncatedSequences) {
  const DecodeCase cases[] = {
      {"lone continuation", "a\x80z"sv, false, u"a"sv},
      {"continuation first", "\xBF"sv, false, u""sv},
      {"byte FE", "a\xFEz"sv, false, u"a"sv},
      {"byte FF", "a\xFF"sv, false, u"a"sv},
      {"stop after a good character", "\xE3\x81\x82\x80\xE3\x81\x82"sv, false, u"\u3042"sv},
  };
  for (const auto& c : cases) expectDecodes(c);

  // Every proper prefix of every multibyte form, at the very end of the input.
  const BytesView sequences[] = {
      "\xC3\xA9"sv,         "\xE3\x81\x82"sv,         "\xF0\x9F\x98\x80"sv,
      "\xF4\x90\x80\x80"sv, "\xF8\x88\x80\x80\x80"sv, "\xFC\x84\x80\x80\x80\x80"sv,
  };
  for (BytesView sequence : sequences) {
    for (std::size_t length = 1; length < sequence.size(); ++length) {
      SCOPED_TRACE(testing::Message()
                   << "prefix of " << length << " of a " << sequence.size() << "-byte form");
      const Bytes input = "ab" + Bytes(sequence.substr(0, length));
      const test::ExactBuffer<char> buffer(input);
      Text text;
      EXPECT_FALSE(decodeUtf8(buffer.view(), text));
      EXPECT_EQ(text, u"ab");
    }
  }

  // Past the first few thousand units, which are decoded a buffer at a time.
  const Bytes longAscii(5001, 'a');
  Text text;
  EXPECT_FALSE(decodeUtf8("\xEF\xBB\xBF" + longAscii + "\xE3\x81\x82\x80z", text));
  EXPECT_EQ(text, Text(longAscii.begin(), longAscii.end()) + u"\u3042");
}

// Runs of three-byte characters are decoded in a loop of their own, which must end
// where the run does, at whatever follows it.
TEST(DecodeUtf8, WhatEndsARunOfThreeByteCharacters) {
  const DecodeCase cases[] = {
      {"lenient character inside", "\xE3\x81\x82\xE0\x80\x80\xE3\x81\x82"sv, true,
       u"\u3042\x0000\u3042"sv},
      {"two bytes", "\xE3\x81\x82\xE3\x81\x82\xC3\xA9"sv, true, u"\u3042\u3042\u00E9"sv},
      {"surrogate pair", "\xE3\x81\x82\xF0\x9F\x98\x80"sv, true, u"\u3042\xD83D\xDE00"sv},
      {"lone continuation", "\xE3\x81\x82\xE3\x81\x82\x80\xE3\x81\x82"sv, false, u"\u3042\u3042"sv},
      {"cut off at two bytes", "\xE3\x81\x82\xE3\x81\x82\xE3\x81"sv, false, u"\u3042\u3042"sv},
      {"cut off at one byte", "\xE3\x81\x82\xE3"sv, false, u"\u3042"sv},
  };
  for (const auto& c : cases) expectDecodes(c);
}

// A text longer than the first chunk is sized by what its bytes give, four-byte forms
// counting two units: sizing it by the number of bytes would take up to three times the
// room, and sizing it short would grow it.
TEST(DecodeUtf8, ReservesWhatTheTextNeeds) {
  Bytes bytes;
  for (int i = 0; i < 1000; ++i) bytes += "ab\xE3\x81\x82\xC3\xA9\xF0\x9F\x98\x80\x02";
  Text text;
  EXPECT_TRUE(decodeUtf8(bytes, text));
  EXPECT_EQ(text.size(), 7000u);
  EXPECT_LT(text.capacity(), text.size() + text.size() / 8);
}

TEST(DecodeUtf8, AppendsToWhatIsThere) {
  Text text = u"x";
  EXPECT_TRUE(decodeUtf8("\xE3\x81\x82", text));
  EXPECT_EQ(text, u"x\u3042");
}

struct EncodeCase {
  const char* name;
  TextView input;
  BytesView expected;
};

TEST(EncodeUtf8, WritesEachCodeUnitOrPair) {
  const EncodeCase cases[] = {
      {"empty", u""sv, ""sv},
      {"nul", u"\x0000"sv, "\x00"sv},
      {"last one-byte", u"\x007F"sv, "\x7F"sv},
      {"first two-byte", u"\u0080"sv, "\xC2\x80"sv},
      {"last two-byte", u"\u07FF"sv, "\xDF\xBF"sv},
      {"first three-byte", u"\u0800"sv, "\xE0\xA0\x80"sv},
      {"hiragana a", u"\u3042"sv, "\xE3\x81\x82"sv},
      {"last code unit", u"\xFFFF"sv, "\xEF\xBF\xBF"sv},
      {"surrogate pair", u"\xD83D\xDE00"sv, "\xF0\x9F\x98\x80"sv},
      {"first pair", u"\xD800\xDC00"sv, "\xF0\x90\x80\x80"sv},
      {"last pair", u"\xDBFF\xDFFF"sv, "\xF4\x8F\xBF\xBF"sv},
      {"lone high surrogate",
       u"\xD83D"
       u"a"sv,
       "\xED\xA0\xBD"
       "a"sv},
      {"lone high surrogate at the end", u"a\xD83D"sv, "a\xED\xA0\xBD"sv},
      {"lone low surrogate", u"\xDE00"sv, "\xED\xB8\x80"sv},
      {"reversed pair", u"\xDE00\xD83D"sv, "\xED\xB8\x80\xED\xA0\xBD"sv},
      {"high, then a pair", u"\xD83D\xD83D\xDE00"sv, "\xED\xA0\xBD\xF0\x9F\x98\x80"sv},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const test::ExactBuffer<char16_t> input(c.input);
    Bytes bytes;
    EXPECT_TRUE(encodeUtf8(input.view(), bytes));
    EXPECT_EQ(bytes, c.expected);
  }
}

// ASCII runs are converted in blocks: a character, a malformed byte or a cut-off
// sequence must be found at every offset in and around a block, both ways.
TEST(Utf8, EveryOffsetAroundTheAsciiBlocks) {
  struct Insert {
    const char* name;
    BytesView bytes;
    TextView units;
    bool complete;
  };
  const Insert inserts[] = {
      {"two bytes", "\xC3\xA9"sv, u"\u00E9"sv, true},
      {"three bytes", "\xE3\x81\x82"sv, u"\u3042"sv, true},
      {"surrogate pair", "\xF0\x9F\x98\x80"sv, u"\xD83D\xDE00"sv, true},
      {"lone continuation", "\x80"sv, u""sv, false},
      {"cut off at the end", "\xE3\x81"sv, u""sv, false},
  };
  const Bytes ascii = "EXECUTE SAORI/1.0\r\nArgument1: abcdefghijklmnopqrstuvwxyz0123456789";
  const Text wide(ascii.begin(), ascii.end());
  for (const Insert& insert : inserts) {
    for (std::size_t at = 0; at <= 40; ++at) {
      SCOPED_TRACE(testing::Message() << insert.name << " at " << at);
      const bool atEnd = insert.bytes == "\xE3\x81"sv;
      const std::size_t tail = atEnd ? at : ascii.size();
      const Bytes input = ascii.substr(0, at) + Bytes(insert.bytes) + ascii.substr(at, tail - at);
      const Text expected =
          insert.complete ? wide.substr(0, at) + Text(insert.units) + wide.substr(at, tail - at)
                          : wide.substr(0, at);
      const test::ExactBuffer<char> buffer(input);
      Text text;
      EXPECT_EQ(decodeUtf8(buffer.view(), text), insert.complete);
      EXPECT_EQ(text, expected);
      if (!insert.complete) continue;
      const test::ExactBuffer<char16_t> units(expected);
      Bytes bytes;
      encodeUtf8(units.view(), bytes);
      EXPECT_EQ(bytes, input);
    }
  }
}

TEST(Utf8, EveryCharacterRoundTrips) {
  Text all;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (c < 0x10000) {
      all.push_back(static_cast<char16_t>(c));
    } else {
      all.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      all.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  Bytes bytes;
  encodeUtf8(all, bytes);
  // 128 one-byte, 1920 two-byte, 61440 three-byte and 1048576 four-byte characters.
  EXPECT_EQ(bytes.size(), 128u + 1920u * 2 + 61440u * 3 + 1048576u * 4);
  Text back;
  EXPECT_TRUE(decodeUtf8(bytes, back));
  EXPECT_TRUE(back == all);
}

}  // namespace
}  // namespace orrery
