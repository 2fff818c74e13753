#include "commands/lists/unique_command.h"

#include <gtest/gtest.h>

#include "commands/command_test_support.h"

namespace orrery::test {
namespace {

TEST(UniqueCommandTest, KeepsTheFirstItemOfEachKeyInKeyOrder) {
  struct Case {
    const char* name;
    std::map<std::uint32_t, TextView> arguments;
    std::vector<Text> values;
    Text result = {};
  } cases[] = {
      {"empty list", {{1, u""}}, {}},
      {"repeats anywhere", {{1, u"b|a|b|c|a"}}, {u"a", u"b", u"c"}},
      {"no case folding", {{1, u"b|B"}}, {u"B", u"b"}},
      {"prefix first", {{1, u"ab|a"}}, {u"a", u"ab"}},
      {"long shared prefixes",
       {{1, u"abcdef|abcdeg|abcde|abcdef"}},
       {u"abcde", u"abcdef", u"abcdeg"}},
      {"U+0000 is a unit, not padding",
       {{1, TextView(u"a\0|a|a\0\0|a\0", 11)}},
       {u"a", Text(u"a\0", 2), Text(u"a\0\0", 3)}},
      {"empty item survives once, first", {{1, u"b||a||"}}, {u"", u"a", u"b"}},
      {"trailing separator changes nothing", {{1, u"b|a|"}}, {u"a", u"b"}},
      {"V: second part of the first item", {{1, u"a^1|a^2|b^3"}, {2, u"V"}}, {u"1", u"3"}},
      {"V without PairSeparator", {{1, u"a"}, {2, u"V"}}, {u""}},
      {"P: whole first item", {{1, u"a^1|a^2|b^3"}, {2, u"P"}}, {u"a^1", u"b^3"}},
      {"P without PairSeparator", {{1, u"a"}, {2, u"P"}}, {u"a^"}},
      {"only first parts compared", {{1, u"a|a^1"}, {2, u"P"}}, {u"a^"}},
      {"V beats P", {{1, u"a^1"}, {2, u"PV"}}, {u"1"}},
      {"upper-case S does not join", {{1, u"b|a"}, {2, u"S"}}, {u"a", u"b"}},
      {"s joins into Result", {{1, u"b|a"}, {2, u"s"}}, {}, u"a|b|"},
      {"options in Argument3 have no effect", {{1, u"a^1|b^2"}, {3, u"V"}}, {u"a", u"b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UniqueCommand command;
    expectAnswer(command, c.arguments, c.values, c.result);
  }
}

}  // namespace
}  // namespace orrery::test
