#include "encoding/utf8_writer.h"

#include <gtest/gtest.h>

namespace orrery {
namespace {

using namespace std::string_view_literals;

// The writer puts answers straight into the host's block, so it must write exactly the
// length it measured and nothing past it. The texts put every kind of unit before,
// inside and after the runs of four ASCII units it tests at once.
TEST(Utf8Writer, WritesExactlyWhatItMeasured) {
  const struct {
    TextView text;
    BytesView bytes;
  } cases[] = {
      {u""sv, ""sv},
      {u"a"sv, "a"sv},
      {u"abcd"sv, "abcd"sv},
      {u"abcdefgh"sv, "abcdefgh"sv},
      {u"\x007F\x0080\x07FF\x0800\xFFFF"sv, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"sv},
      {u"abcd\x00E9"sv, "abcd\xC3\xA9"sv},
      {u"abcdefg\x3042"sv, "abcdefg\xE3\x81\x82"sv},
      {u"abcd\xD83D\xDE00xyz"sv, "abcd\xF0\x9F\x98\x80xyz"sv},
      {u"\xD83D"sv, "\xED\xA0\xBD"sv},
      {u"\xDE00\xD83Dx"sv, "\xED\xB8\x80\xED\xA0\xBDx"sv},
      {u"\xD83D\xD83D\xDE00"sv, "\xED\xA0\xBD\xF0\x9F\x98\x80"sv},
      // A run of three-byte units broken by a pair and by a lone surrogate, with the
      // units on either side of the surrogates.
      {u"\xD7FF\x3042\xD83D\xDE00\xE000\xDE00\x3044"sv,
       "\xED\x9F\xBF\xE3\x81\x82\xF0\x9F\x98\x80\xEE\x80\x80\xED\xB8\x80\xE3\x81\x84"sv},
      {u"\x3042\x3044\x3046\x3048"
       u"abcd"sv,
       "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88"
       "abcd"sv},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "length " << c.text.size());
    ASSERT_EQ(utf8Length(c.text), c.bytes.size());
    Bytes written(c.bytes.size() + 1, '#');
    char* end = writeUtf8(c.text, written.data());
    EXPECT_EQ(end, written.data() + c.bytes.size());
    EXPECT_EQ(written, Bytes(c.bytes) + "#");
  }
}

}  // namespace
}  // namespace orrery
