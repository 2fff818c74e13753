#include "protocol/argument_list.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace orrery {
namespace {

using Entries = std::vector<std::pair<std::uint32_t, Text>>;

Entries entriesOf(const ArgumentList& list) {
  Entries out;
  for (const auto& [number, text] : list) out.emplace_back(number, Text(text));
  return out;
}

// Past the few entries held inline the list moves to a buffer of its own; insertions
// in the middle and the parser's unordered appends must survive that move.
TEST(ArgumentList, KeepsNumbersOrderedAndDistinct) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::uint32_t, TextView>> added;  // through add(), then settle()
    std::vector<std::uint32_t> read;                        // through findOrAdd()
    Entries expected;
  };
  const Case cases[] = {
      {"ascending", {{0, u"a"}, {1, u"b"}}, {}, {{0, u"a"}, {1, u"b"}}},
      {"descending past the inline room",
       {{6, u"g"}, {5, u"f"}, {4, u"e"}, {3, u"d"}, {2, u"c"}, {1, u"b"}},
       {},
       {{1, u"b"}, {2, u"c"}, {3, u"d"}, {4, u"e"}, {5, u"f"}, {6, u"g"}}},
      {"the latest of each number stays",
       {{3, u"a"}, {1, u"b"}, {3, u"c"}, {1, u"d"}, {2, u"e"}, {1, u"f"}},
       {},
       {{1, u"f"}, {2, u"e"}, {3, u"c"}}},
      {"reads add empty entries in place",
       {{1, u"a"}, {3, u"c"}, {5, u"e"}, {7, u"g"}},
       {4, 0, 7, 9},
       {{0, u""}, {1, u"a"}, {3, u"c"}, {4, u""}, {5, u"e"}, {7, u"g"}, {9, u""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ArgumentList list;
    for (const auto& [number, text] : c.added) list.add(number, text);
    list.settle();
    for (std::uint32_t number : c.read) list.findOrAdd(number);
    EXPECT_EQ(entriesOf(list), c.expected);
    for (const auto& [number, text] : c.expected) {
      ASSERT_NE(list.find(number), nullptr);
      EXPECT_EQ(*list.find(number), text);
    }
    EXPECT_EQ(list.find(8), nullptr);
  }
}

TEST(ArgumentList, SetReplacesOrInserts) {
  ArgumentList list;
  for (std::uint32_t n : {9u, 1u, 5u, 3u, 7u, 0u}) list.set(n, u"x");
  list.set(5, u"five");
  EXPECT_EQ(entriesOf(list),
            (Entries{{0, u"x"}, {1, u"x"}, {3, u"x"}, {5, u"five"}, {7, u"x"}, {9, u"x"}}));
  list.clear();
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.findOrAdd(2), TextView());
  EXPECT_EQ(list.size(), 1u);
}

}  // namespace
}  // namespace orrery
