#include "list_input.h"

#include <gtest/gtest.h>

#include "refusal_hints.h"
#include "response_display.h"

namespace orrery::host {
namespace {

TEST(PrepareArgument, TurnsFileAndWordTextIntoTheArgument) {
  struct Case {
    const char* name;
    std::string text;
    ArgumentSource source;
    bool lines;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"escapes in place", "a\\2b\\1c\\\\\\t\\x41\\u3042", ArgumentSource::kWord, false,
       "a\x02"
       "b\x01"
       "c\\\tA\xE3\x81\x82"},
      {"lone surrogate keeps its three bytes", "\\uD800", ArgumentSource::kWord, false,
       "\xED\xA0\x80"},
      {"a word keeps its final line end", "a\n", ArgumentSource::kWord, false, "a\n"},
      {"a file drops one final line end", "a\\2b\r\n", ArgumentSource::kFile, false,
       "a\x02"
       "b"},
      {"and its byte-order mark", "\xEF\xBB\xBFx", ArgumentSource::kFile, false, "x"},
      {"lines: LF and CR LF end items", "b\r\na\n\nc", ArgumentSource::kFile, true,
       "b\x02"
       "a\x02\x02"
       "c"},
      {"lines: a lone CR stays", "a\rb\n", ArgumentSource::kFile, true, "a\rb\x02"},
      {"lines: escapes after the split", "a\\nb\n", ArgumentSource::kFile, true, "a\nb\x02"},
      {"CR LF from escapes is refused", "a\\r\\n", ArgumentSource::kWord, false, std::nullopt},
      {"a bad escape is refused", "\\x4", ArgumentSource::kWord, false, std::nullopt},
      {"overlong UTF-8 is refused", "\xC0\xAF", ArgumentSource::kFile, false, std::nullopt},
      {"encoded surrogates in a file are refused", "\xED\xA0\x80", ArgumentSource::kFile, false,
       std::nullopt},
      {"a literal file keeps its backslashes", "\\(^o^)/\\2\n", ArgumentSource::kLiteralFile, false,
       "\\(^o^)/\\2"},
      {"literal lines", "a\\n\r\n\\\n", ArgumentSource::kLiteralFile, true, "a\\n\x02\\\x02"},
      {"a literal file still may not hold CR LF", "a\r\nb", ArgumentSource::kLiteralFile, false,
       std::nullopt},
      {"truncated UTF-8 is refused", "ab\xE3\x81", ArgumentSource::kFile, true, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = "head:" + c.text;
    std::string error;
    const std::size_t end = prepareArgument(bytes, 5, bytes.size(), c.source, c.lines, error);
    if (!c.expected) {
      EXPECT_EQ(end, std::string::npos);
      EXPECT_FALSE(error.empty());
      continue;
    }
    ASSERT_NE(end, std::string::npos) << error;
    EXPECT_EQ(bytes.substr(5, end - 5), *c.expected);
  }
}

TEST(AppendShown, EveryControlAndLoneSurrogateBecomesAnEscapeTheInputAccepts) {
  struct Case {
    const char* name;
    std::string text;
    std::string shown;
  };
  const Case cases[] = {
      {"plain text and Japanese", "ab \xE3\x81\x82", "ab \xE3\x81\x82"},
      {"named escapes", "\t\n\r\x01\x02\\", "\\t\\n\\r\\1\\2\\\\"},
      {"other C0, DEL and C1", std::string("\x00\x1B\x7F\xC2\x85", 5), "\\x00\\x1B\\x7F\\x85"},
      {"Latin-1 letters are not controls", "\xC2\xA0\xC3\xA9", "\xC2\xA0\xC3\xA9"},
      {"lone surrogates", "\xED\xA0\x80x\xED\xBF\xBF", "\\uD800x\\uDFFF"},
      {"other ED sequences stay", "\xED\x9F\xBF", "\xED\x9F\xBF"},
      {"a supplementary character stays", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out;
    appendShown(out, c.text);
    EXPECT_EQ(out, c.shown);
    // What is shown reads back as the same text.
    std::string back = out;
    std::string error;
    const std::size_t end = unescapeInPlace(back, 0, back.size(), error);
    ASSERT_NE(end, std::string::npos) << error;
    EXPECT_EQ(back.substr(0, end), c.text);
  }
}

TEST(RefusalHint, SaysNothingWhenTheCauseIsNotCertain) {
  const std::vector<std::vector<std::u16string>> requests = {
      {u"sort",
       u"b\x0002"
       u"a",
       u"S"},  // text keys never fail
      {u"sort",
       u"1\x0002"
       u"x",
       u"L"},                                           // nor do length keys
      {u"sort", u"10\x0002 9\x0002"},                   // every key converts
      {u"unique", u"a"},                                // no refusal of its own
      {u"make_pair", u"a\x0002", u"b"},                 // a trailing separator adds no item
      {u"shuffle_n", u"16777216"},                      // exactly 2^24 values
      {u"shuffle_n", u"2147483647", u"0", u"1", u"5"},  // a long range, a short answer
  };
  for (const auto& words : requests) {
    EXPECT_EQ(refusalHint(words, NumericLocale{}), "")
        << std::string(words[0].begin(), words[0].end());
  }
}

}  // namespace
}  // namespace orrery::host
