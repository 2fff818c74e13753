#include "commands/sets/set_command.h"

#include <gtest/gtest.h>

#include <memory>

#include "commands/command_test_support.h"

namespace orrery::test {
namespace {

// Expected Values per command, in the order intersection, difference, union,
// symmetric_difference.
struct Case {
  const char* name;
  TextView first;
  TextView second;
  TextView options;
  std::vector<Text> expected[4];
};

void checkAll(const Case& c) {
  SCOPED_TRACE(c.name);
  IntersectionCommand intersection;
  DifferenceCommand difference;
  UnionCommand unionCommand;
  SymmetricDifferenceCommand symmetric;
  IRequestEntry* commands[] = {&intersection, &difference, &unionCommand, &symmetric};
  const char* names[] = {"intersection", "difference", "union", "symmetric_difference"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(names[i]);
    expectAnswer(*commands[i], {{1, c.first}, {2, c.second}, {3, c.options}}, c.expected[i], u"");
  }
}

TEST(SetCommandTest, MultisetCounts) {
  const Case cases[] = {
      {"both empty", u"", u"", u"", {{}, {}, {}, {}}},
      {"second empty: key order",
       u"b|a|B",
       u"",
       u"",
       {{}, {u"B", u"a", u"b"}, {u"B", u"a", u"b"}, {u"B", u"a", u"b"}}},
      {"first empty", u"", u"b|a", u"", {{}, {}, {u"a", u"b"}, {u"a", u"b"}}},
      {"repeats on the first side",
       u"a|a|a|b",
       u"a|c",
       u"",
       {{u"a"}, {u"a", u"a", u"b"}, {u"a", u"a", u"a", u"b", u"c"}, {u"a", u"a", u"b", u"c"}}},
      {"repeats on the second side",
       u"a",
       u"a|a|a",
       u"",
       {{u"a"}, {}, {u"a", u"a", u"a"}, {u"a", u"a"}}},
      {"keys past a shared four-unit prefix",
       u"abcdX|abcd|abcdA",
       u"abcd|abcdB",
       u"",
       {{u"abcd"},
        {u"abcdA", u"abcdX"},
        {u"abcd", u"abcdA", u"abcdB", u"abcdX"},
        {u"abcdA", u"abcdB", u"abcdX"}}},
      {"empty items", u"a||b", u"|", u"", {{u""}, {u"a", u"b"}, {u"", u"a", u"b"}, {u"a", u"b"}}},
      // U+0000 is also what pads short keys: a and a, U+0000 are still different keys.
      {"short keys ending in U+0000",
       TextView(u"a\0|ab", 5),
       TextView(u"a|a\0\0", 5),
       u"",
       {{},
        {Text(u"a\0", 2), u"ab"},
        {u"a", Text(u"a\0", 2), Text(u"a\0\0", 3), u"ab"},
        {u"a", Text(u"a\0", 2), Text(u"a\0\0", 3), u"ab"}}},
  };
  for (const Case& c : cases) checkAll(c);
}

// With "V" every item writes its own second part, so the output shows which copy of a
// key was taken.
TEST(SetCommandTest, WhichCopyIsWritten) {
  const Case cases[] = {
      {"m = 2, n = 3",
       u"a^1|a^2",
       u"a^3|a^4|a^5",
       u"V",
       {{u"1", u"2"}, {}, {u"1", u"2", u"5"}, {u"5"}}},
      {"m = 3, n = 2",
       u"a^3|a^4|a^5",
       u"a^1|a^2",
       u"V",
       {{u"3", u"4"}, {u"5"}, {u"3", u"4", u"5"}, {u"5"}}},
      {"m = 3, n = 1, among other keys",
       u"b^6|a^1|c^7|a^2|a^3",
       u"a^9|c^8|d^0",
       u"V",
       {{u"1", u"7"},
        {u"2", u"3", u"6"},
        {u"1", u"2", u"3", u"6", u"7", u"0"},
        {u"2", u"3", u"6", u"0"}}},
      {"keys decide, not whole items", u"a^x", u"a^y", u"", {{u"a"}, {}, {u"a"}, {}}},
      {"P writes the first list's item", u"a^x", u"a^y", u"P", {{u"a^x"}, {}, {u"a^x"}, {}}},
      {"V beats P", u"a^x", u"a^y", u"PV", {{u"x"}, {}, {u"x"}, {}}},
      {"V without PairSeparator", u"a|b", u"", u"V", {{}, {u"", u""}, {u"", u""}, {u"", u""}}},
      {"P without PairSeparator", u"a", u"", u"P", {{}, {u"a^"}, {u"a^"}, {u"a^"}}},
      {"lower-case v and p, upper-case S do nothing",
       u"a^x",
       u"",
       u"vpS",
       {{}, {u"a"}, {u"a"}, {u"a"}}},
  };
  for (const Case& c : cases) checkAll(c);
}

TEST(SetCommandTest, JoinedResultAndArgumentCounts) {
  UnionCommand command;
  Outcome o = run(command, {{1, u"b"}, {2, u"a"}, {3, u"s"}});
  EXPECT_EQ(o.result, u"a|b|");
  EXPECT_TRUE(o.values.empty());

  IntersectionCommand intersection;
  o = run(intersection, {{1, u"b"}, {2, u"a"}, {3, u"s"}});
  EXPECT_TRUE(o.returned);
  EXPECT_EQ(o.result, u"");
  EXPECT_TRUE(o.values.empty());

  // Argument0, 1 and 3 only: Argument3 is not consulted and Argument2 reads empty.
  o = run(command, {{1, u"a^x"}, {3, u"V"}});
  EXPECT_EQ(o.values, std::vector<Text>{u"a"});
  EXPECT_EQ(command.listArgumentCount(), 2u);
}

}  // namespace
}  // namespace orrery::test
