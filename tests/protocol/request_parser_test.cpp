#include "protocol/request_parser.h"

#include <gtest/gtest.h>

#include <map>

namespace orrery {
namespace {

struct ParseCase {
  const char* name;
  Text text;
  bool parsed;
  Text requestLine;
  std::map<std::uint32_t, Text> arguments;
};

std::map<std::uint32_t, Text> argumentsOf(const SaoriRequest& record) {
  std::map<std::uint32_t, Text> out;
  for (const auto& [number, text] : record.arguments) out.emplace(number, text);
  return out;
}

TEST(RequestParser, FillsRequestLineAndArguments) {
  const ParseCase cases[] = {
      {"typical request",
       u"EXECUTE SAORI/1.0\r\nArgument0: sort\r\nArgument1: b\x0002"
       u"a\r\n\r\n",
       true,
       u"EXECUTE SAORI/1.0",
       {{0, u"sort"},
        {1,
         u"b\x0002"
         u"a"}}},
      {"no closing empty line",
       u"EXECUTE SAORI/1.0\r\nArgument0: sort\r\n",
       false,
       u"EXECUTE SAORI/1.0",
       {{0, u"sort"}}},
      {"request line alone", u"EXECUTE SAORI/1.0\r\n", false, u"EXECUTE SAORI/1.0", {}},
      {"empty text", u"", false, u"", {}},
      {"shortest request", u"\r\n\r\n", true, u"", {}},
      {"text after the empty line is ignored", u"X\r\n\r\nArgument0: a\r\n\r\n", true, u"X", {}},
      {"colon and two spaces keep one space",
       u"R\r\nArgument1:  v\r\n\r\n",
       true,
       u"R",
       {{1, u" v"}}},
      {"numbers need not be contiguous",
       u"R\r\nArgument3: c\r\nArgument1: a\r\n\r\n",
       true,
       u"R",
       {{1, u"a"}, {3, u"c"}}},
      {"a later duplicate wins",
       u"R\r\nArgument1: a\r\nArgument1: b\r\n\r\n",
       true,
       u"R",
       {{1, u"b"}}},
      {"a later duplicate wins out of order too",
       u"R\r\nArgument2: a\r\nArgument1: b\r\nArgument2: c\r\n\r\n",
       true,
       u"R",
       {{1, u"b"}, {2, u"c"}}},
      {"a lone CR inside a name is dropped",
       u"R\r\nArg\rument1: x\r\n\r\n",
       true,
       u"R",
       {{1, u"x"}}},
      {"no digits is dropped", u"R\r\nArgument: a\r\nArgumentx: b\r\n\r\n", true, u"R", {}},
      {"space before the digits", u"R\r\nArgument 2: a\r\n\r\n", true, u"R", {{2, u"a"}}},
      {"anything after the digits is ignored",
       u"R\r\nArgument7x: a\r\n\r\n",
       true,
       u"R",
       {{7, u"a"}}},
      {"a bare name swallows the next line",
       u"R\r\nBare\r\nArgument0: sort\r\n\r\n",
       true,
       u"R",
       {}},
      {"colon without space swallows the next line into its number",
       u"R\r\nArgument0:x\r\nArgument1: y\r\n\r\n",
       true,
       u"R",
       {{0, u"y"}}},
      {"empty value", u"R\r\nArgument1: \r\n\r\n", true, u"R", {{1, u""}}},
      {"lone CR inside a value is kept",
       u"R\r\nArgument1: a\rb\r\n\r\n",
       true,
       u"R",
       {{1, u"a\rb"}}},
      {"request line drops a lone CR and the unit after it", u"AB\rCD\r\n\r\n", true, u"ABD", {}},
      {"argument number saturates",
       u"R\r\nArgument99999999999: a\r\n\r\n",
       true,
       u"R",
       {{4294967295u, u"a"}}},
      {"largest argument number",
       u"R\r\nArgument4294967295: a\r\n\r\n",
       true,
       u"R",
       {{4294967295u, u"a"}}},
      {"minus sign wraps like %u",
       u"R\r\nArgument-1: a\r\n\r\n",
       true,
       u"R",
       {{4294967295u, u"a"}}},
      {"byte-order mark stays in the request line", u"\xFEFFGET\r\n\r\n", true, u"\xFEFFGET", {}},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.name);
    SaoriRequest record;
    EXPECT_EQ(parse(c.text, record), c.parsed);
    EXPECT_EQ(record.requestLine, c.requestLine);
    EXPECT_EQ(argumentsOf(record), c.arguments);
    EXPECT_EQ(record.rawText, c.text);
  }
}

TEST(RequestParser, ReadsKnownHeadersCaseSensitively) {
  SaoriRequest record;
  ASSERT_TRUE(
      parse(u"R\r\nsender: low\r\nSender: me\r\nSecurityLevel: local\r\n"
            u"Charset: UTF-8 \r\nCharset: EUC-JP\r\nOther: x\r\n\r\n",
            record));
  EXPECT_EQ(record.sender, u"me");
  EXPECT_EQ(record.securityLevel, u"local");
  EXPECT_EQ(record.charset, u"EUC-JP");
  EXPECT_TRUE(record.arguments.empty());

  SaoriRequest untrimmed;
  ASSERT_TRUE(parse(u"R\r\nCharset: UTF-8 \r\n\r\n", untrimmed));
  EXPECT_EQ(untrimmed.charset, u"UTF-8 ");
}

TEST(RequestParser, ColonThenCrJoinsTheNameAndItsLineEnd) {
  // "Argument1:" + CR LF: the colon is not followed by a space, so ":", CR and LF join
  // the name; the next line's value then lands under the first line's number.
  SaoriRequest record;
  EXPECT_TRUE(parse(u"R\r\nArgument1:\r\nArgument2: b\r\n\r\n", record));
  EXPECT_EQ(argumentsOf(record), (std::map<std::uint32_t, Text>{{1, u"b"}}));
}

}  // namespace
}  // namespace orrery
