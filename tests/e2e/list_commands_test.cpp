// Each list command answering a representative request through both entries, compared
// byte for byte. In the tables '|' stands for the ListSeparator and '^' for the
// PairSeparator.
#include <string>
#include <vector>

#include "module_fixture.h"
#include "request_text.h"

namespace orrery::test {
namespace {

using ListCommandsTest = ModuleTest;

std::string separators(std::string text) {
  for (char& c : text) {
    if (c == '|') c = '\x02';
    if (c == '^') c = '\x01';
  }
  return text;
}

std::string requestText(const std::vector<std::string>& arguments) {
  std::vector<std::string> texts;
  for (const std::string& argument : arguments) texts.push_back(separators(argument));
  return host::executeRequest(std::vector<std::string_view>(texts.begin(), texts.end()));
}

std::string responseText(const std::string& status, const std::string& result,
                         const std::vector<std::string>& values) {
  std::string text = "SAORI/1.0 " + status + "\r\n";
  if (status != "200 OK") return text;
  text += "Result: " + separators(result) + "\r\n";
  for (std::size_t i = 0; i < values.size(); ++i) {
    text += "Value" + std::to_string(i) + ": " + separators(values[i]) + "\r\n";
  }
  return text;
}

// ASCII only, so the same bytes serve the UTF-16 and the Shift_JIS entry.
std::u16string wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

TEST_F(ListCommandsTest, AnswersThroughBothEntries) {
  struct Case {
    std::vector<std::string> arguments;
    std::string status;
    std::string result;
    std::vector<std::string> values;
  } cases[] = {
      {{"sort", "10|9|-3"}, "200 OK", "", {"-3", "9", "10"}},
      {{"sort", "b^2|a^1|b^3", "SPR"}, "200 OK", "", {"b^3", "b^2", "a^1"}},
      {{"sort", "1d2|2.5|-1e400", "Fs"}, "200 OK", "-1e400|2.5|1d2|", {}},
      {{"sort", "1|x|2"}, "400 Bad Request", "", {}},
      {{"sort", ""}, "204 No Content", "", {}},
      {{"unique", "b^1|a^2|b^3", "V"}, "200 OK", "", {"2", "1"}},
      {{"unique", "b|a|b", "s"}, "200 OK", "a|b|", {}},
      {{"make_pair", "a|b", "x|y"}, "200 OK", "", {"a^x", "b^y"}},
      {{"make_pair", "a|b", "x|y", "s"}, "200 OK", "a^x|b^y|", {}},
      {{"make_pair", "a|b", "x"}, "400 Bad Request", "", {}},
      {{"intersection", "a^1|a^2|b", "a^3|c"}, "200 OK", "", {"a"}},
      {{"difference", "a^1|a^2|b", "a^3|c", "V"}, "200 OK", "", {"2", ""}},
      {{"union", "a^1|a^2", "a^3|a^4|a^5", "V"}, "200 OK", "", {"1", "2", "5"}},
      {{"union", "b", "a", "s"}, "200 OK", "a|b|", {}},
      {{"symmetric_difference", "a|b", "a|a|c", "P"}, "200 OK", "", {"a^", "b^", "c^"}},
      {{"union", "a"}, "400 Bad Request", "", {}},
  };
  for (const Case& c : cases) {
    const std::string request = requestText(c.arguments);
    SCOPED_TRACE(request);
    const std::string expected = responseText(c.status, c.result, c.values);
    EXPECT_EQ(module().requestw(wide(request)), wide(expected));
    EXPECT_EQ(module().request(request), expected + "Charset: Shift_JIS\r\n\r\n");
  }
}

TEST_F(ListCommandsTest, JapaneseTextsKeepTheirCodeUnitOrder) {
  // U+3042 (hiragana a) sorts before U+30A2 (katakana a), and both after ASCII.
  EXPECT_EQ(module().requestw(u"EXECUTE SAORI/1.0\r\nArgument0: sort\r\nArgument1: "
                              u"\x30A2\x02\x3042\x02z\r\nArgument2: S\r\n\r\n"),
            u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: z\r\nValue1: \x3042\r\nValue2: \x30A2\r\n");
}

}  // namespace
}  // namespace orrery::test
