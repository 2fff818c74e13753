#include "commands/lists/make_pair_command.h"

#include <gtest/gtest.h>

#include "commands/command_test_support.h"

namespace orrery::test {
namespace {

TEST(MakePairCommandTest, ZipsTwoLists) {
  struct Case {
    const char* name;
    std::map<std::uint32_t, TextView> arguments;
    std::vector<Text> values;
    Text result = {};
  } cases[] = {
      {"two items each", {{1, u"a|b"}, {2, u"x|y"}}, {u"a^x", u"b^y"}},
      {"two empty lists", {{1, u""}, {2, u""}}, {}},
      {"lone separator is one empty item", {{1, u"|"}, {2, u"x"}}, {u"^x"}},
      {"PairSeparator inside an item is kept", {{1, u"a^b"}, {2, u"c"}}, {u"a^b^c"}},
      {"trailing separator on one side only", {{1, u"a|b|"}, {2, u"x|y"}}, {u"a^x", u"b^y"}},
      {"s joins into Result", {{1, u"a|b"}, {2, u"x|y"}, {3, u"s"}}, {}, u"a^x|b^y|"},
      {"Argument2 is always the second list", {{1, u"a"}, {2, u"s"}}, {u"a^s"}},
      {"options unread with three arguments", {{1, u""}, {3, u"s"}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MakePairCommand command;
    expectAnswer(command, c.arguments, c.values, c.result);
  }
}

TEST(MakePairCommandTest, DifferentLengthsAnswerBadRequest) {
  struct Case {
    const char* name;
    TextView first;
    TextView second;
  } cases[] = {
      {"second shorter", u"a|b", u"x"},
      {"first empty", u"", u"x"},
      {"empty item counts", u"a||", u"x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MakePairCommand command;
    const Outcome o = run(command, {{1, c.first}, {2, c.second}, {3, u"s"}});
    EXPECT_FALSE(o.returned);
    EXPECT_EQ(o.status, SaoriRequest::kBadRequest);
    EXPECT_TRUE(o.values.empty());
    EXPECT_TRUE(o.result.empty());
  }
}

}  // namespace
}  // namespace orrery::test
