#include "commands/lists/shuffle_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "reference_generator.h"

namespace orrery {
namespace {

struct Outcome {
  std::vector<Text> values;
  Text result;
  std::int32_t status;
};

Outcome run(ShuffleCommand& command, std::map<std::uint32_t, Text> arguments) {
  SaoriRequest record;
  record.arguments = std::move(arguments);
  record.arguments[0] = u"shuffle";
  EXPECT_TRUE(command.execute(record));
  Outcome out{{}, record.result, record.status};
  for (std::size_t i = 0; i < record.values.size(); ++i) out.values.emplace_back(record.values[i]);
  return out;
}

std::vector<Text> shuffled(ShuffleCommand& command, const Text& list) {
  return run(command, {{1, list}}).values;
}

Text numberedList(std::size_t count) {
  Text list;
  for (std::size_t i = 0; i < count; ++i) {
    list += Text(1, static_cast<char16_t>(u'A' + i % 26)) + Text(i / 26, u'x');
    list.push_back(kListSeparator);
  }
  return list;
}

// Orders worked out by hand from the generator's first draws: seed 0 draws only zeros,
// and seeds 1 and 4357 both have an odd second draw and a third draw of 2 mod 3.
TEST(ShuffleCommand, OrdersForKnownSeeds) {
  struct Case {
    const char* name;
    std::uint32_t seed;
    Text list;
    std::vector<Text> expected;
  };
  const Case cases[] = {
      {"seed 0",
       0,
       u"a\x02"
       u"b\x02"
       u"c\x02"
       u"d",
       {u"d", u"a", u"b", u"c"}},
      {"seed 1",
       1,
       u"a\x02"
       u"b\x02"
       u"c\x02"
       u"d",
       {u"b", u"c", u"d", u"a"}},
      {"seed 4357",
       4357,
       u"a\x02"
       u"b\x02"
       u"c",
       {u"b", u"c", u"a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShuffleCommand command(c.seed);
    EXPECT_EQ(shuffled(command, c.list), c.expected);
  }
}

TEST(ShuffleCommand, MatchesTheReferenceLoopAcrossRequests) {
  // Lengths around 8 and 9 cross the point where partners start being drawn ahead.
  const Text lists[] = {u"",
                        u"\x02",
                        u"only",
                        u"a\x02\x02"
                        u"b",
                        u"a\x02"
                        u"b\x02",
                        u"\x02\x02\x02",
                        numberedList(8),
                        numberedList(9),
                        numberedList(10),
                        numberedList(50),
                        numberedList(3000)};
  ShuffleCommand command(20240607);
  std::mt19937 reference = test::referenceEngine(20240607);
  // One command for all lists: the generator runs on from request to request.
  for (const Text& list : lists) {
    SCOPED_TRACE(std::string(list.begin(), list.begin() + std::min<std::size_t>(list.size(), 20)));
    std::vector<Text> expected;
    Text item;
    for (char16_t c : list) {
      if (c == kListSeparator) {
        expected.push_back(item);
        item.clear();
      } else {
        item.push_back(c);
      }
    }
    if (!item.empty()) expected.push_back(item);
    test::referencePermute(reference, expected);
    EXPECT_EQ(shuffled(command, list), expected);
  }
}

TEST(ShuffleCommand, EveryOrderIsOneCycle) {
  for (std::uint32_t seed = 1; seed <= 40; ++seed) {
    ShuffleCommand command(seed);
    for (std::size_t n = 2; n <= 40; ++n) {
      SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << n << " items");
      const std::vector<Text> out = shuffled(command, numberedList(n));
      ASSERT_EQ(out.size(), n);
      // Follow item i to where item i came from; one cycle visits all n before returning.
      std::vector<std::size_t> from(n);
      for (std::size_t i = 0; i < n; ++i) {
        const std::size_t origin =
            static_cast<std::size_t>(out[i][0] - u'A') + 26 * (out[i].size() - 1);
        ASSERT_NE(origin, i) << "item stayed in place";
        from[i] = origin;
      }
      std::size_t at = 0, length = 0;
      do {
        at = from[at];
        ++length;
      } while (at != 0 && length <= n);
      EXPECT_EQ(length, n);
    }
  }
}

TEST(ShuffleCommand, ThreeItemsGiveOnlyTheTwoRotations) {
  const std::vector<Text> bca{u"b", u"c", u"a"};
  const std::vector<Text> cab{u"c", u"a", u"b"};
  std::set<std::vector<Text>> seen;
  ShuffleCommand command(777);
  for (int i = 0; i < 200; ++i) {
    const std::vector<Text> out = shuffled(command,
                                           u"a\x02"
                                           u"b\x02"
                                           u"c");
    ASSERT_TRUE(out == bca || out == cab);
    seen.insert(out);
  }
  EXPECT_EQ(seen.size(), 2u);
}

TEST(ShuffleCommand, ShortListsDrawNothing) {
  ShuffleCommand used(5);
  EXPECT_TRUE(shuffled(used, u"").empty());
  EXPECT_EQ(shuffled(used, u"x"), std::vector<Text>{u"x"});
  EXPECT_EQ(shuffled(used, u"\x02"), std::vector<Text>{u""});
  ShuffleCommand fresh(5);
  EXPECT_EQ(shuffled(used, numberedList(30)), shuffled(fresh, numberedList(30)));
}

TEST(ShuffleCommand, HasNoOptionsAndNoResult) {
  ShuffleCommand command(3);
  const Outcome out = run(command, {{1,
                                     u"a\x02"
                                     u"b"},
                                    {2, u"s"}});
  EXPECT_EQ(out.values, (std::vector<Text>{u"b", u"a"}));
  EXPECT_TRUE(out.result.empty());
  EXPECT_EQ(out.status, SaoriRequest::kOk);
}

TEST(ShuffleCommand, AbsentListIsEmpty) {
  ShuffleCommand command(3);
  const Outcome out = run(command, {{5,
                                     u"a\x02"
                                     u"b"}});
  EXPECT_TRUE(out.values.empty());
  EXPECT_EQ(out.status, SaoriRequest::kOk);
}

}  // namespace
}  // namespace orrery
