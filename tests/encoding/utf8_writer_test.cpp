#include "encoding/utf8_writer.h"

#include <gtest/gtest.h>

#include "encoding/utf8.h"

namespace orrery {
namespace {

// The response writer and encodeUtf8 must agree byte for byte; the texts put every
// kind of unit before, inside and after the runs of four ASCII units tested at once.
TEST(Utf8Writer, WritesWhatEncodeUtf8Writes) {
  const Text texts[] = {
      u"",
      u"a",
      u"abc",
      u"abcd",
      u"abcdefgh",
      u"\x007F\x0080\x07FF\x0800\xFFFF",
      u"abcd\x00E9",
      u"abcdefg\x3042",
      u"\xD83D\xDE00",         // a pair: four bytes
      u"abcd\xD83D\xDE00xyz",  // a pair after a run of ASCII
      u"\xD83D",               // a lone high surrogate at the end
      u"\xDE00\xD83D"          // a low one first: two lone surrogates
      u"x",
      u"\xD83D\xD83D\xDE00",  // a lone high, then a pair
      u"\x3042\x3044\x3046\x3048"
      u"abcd",
  };
  for (const Text& text : texts) {
    SCOPED_TRACE(testing::Message() << "length " << text.size());
    Bytes expected;
    encodeUtf8(text, expected);
    ASSERT_EQ(utf8Length(text), expected.size());
    Bytes written(expected.size() + 1, '#');
    char* end = writeUtf8(text, written.data());
    EXPECT_EQ(end, written.data() + expected.size());
    EXPECT_EQ(written, expected + "#");
  }
}

}  // namespace
}  // namespace orrery
