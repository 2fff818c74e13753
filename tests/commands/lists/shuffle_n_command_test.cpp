#include "commands/lists/shuffle_n_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <vector>

#include "protocol/decimal_format.h"
#include "shuffle_test_support.h"

namespace orrery {
namespace {

using Arguments = std::map<std::uint32_t, Text>;

struct Outcome {
  bool ran;
  std::int32_t status;
  Text result;
  std::vector<Text> values;
};

Outcome run(ShuffleNCommand& command, Arguments arguments) {
  SaoriRequest record;
  for (const auto& [number, text] : arguments) record.setArgument(number, text);
  record.setArgument(0, u"shuffle_n");
  Outcome out{command.execute(record), record.status, record.result, {}};
  for (std::size_t i = 0; i < record.values.size(); ++i) out.values.emplace_back(record.values[i]);
  return out;
}

Text decimal(std::int64_t value) {
  Text text;
  appendSigned(text, value);
  return text;
}

// The fair draw written out plainly: a Fisher–Yates loop over the positions of the
// sequence, held in a map (the ranges go up to 2^32 values), stopped after the first
// count places, on an independent MT19937 with the same seed.
std::vector<Text> referenceDraw(std::mt19937& engine, std::int64_t end, std::int64_t start,
                                std::int64_t step, std::int64_t count) {
  const std::int64_t length = (end - start + step - 1) / step;
  std::map<std::int64_t, std::int64_t> moved;
  auto at = [&](std::int64_t j) -> std::int64_t& { return moved.try_emplace(j, j).first->second; };
  const std::int64_t draws = std::min(count, length - 1);
  for (std::int64_t i = 0; i < draws; ++i) {
    const std::int64_t r =
        static_cast<std::uint32_t>(engine()) % static_cast<std::uint32_t>(length - i);
    std::swap(at(i), at(i + r));
  }
  std::vector<Text> out;
  for (std::int64_t j = 0; j < count; ++j) out.push_back(decimal(start + at(j) * step));
  return out;
}

TEST(ShuffleNCommand, KnownOrders) {
  struct Case {
    const char* name;
    Arguments arguments;
    std::vector<Text> expected;
  };
  // Seed 0 draws only zeros, so every place keeps its own position.
  const Case cases[] = {
      {"negative range", {{1, u"0"}, {2, u"-3"}}, {u"-3", u"-2", u"-1"}},
      {"blanks and plus before the end", {{1, u" \t+3"}}, {u"0", u"1", u"2"}},
      {"count 0", {{1, u"9"}, {4, u"0"}}, {}},
      {"end 0", {{1, u"0"}}, {}},
      {"empty end reads as 0", {{1, u""}}, {}},
      {"end equal to start", {{1, u"-4"}, {2, u"-4"}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShuffleNCommand command(0);
    const Outcome out = run(command, c.arguments);
    EXPECT_TRUE(out.ran);
    EXPECT_EQ(out.status, SaoriRequest::kOk);
    EXPECT_EQ(out.values, c.expected);
    EXPECT_TRUE(out.result.empty());
  }
}

TEST(ShuffleNCommand, MatchesThePlainLoop) {
  struct Case {
    std::int64_t end, start, step;
    std::int64_t count;  // -1: not sent
  };
  const Case cases[] = {
      {10, 0, 1, -1},
      {10, 0, 3, -1},
      {10, 0, 3, 2},
      {10, 0, 3, 99},
      {1, 0, 1, -1},
      {2, 0, 1, -1},
      {1000, 0, 1, 0},
      {1000, 0, 1, 1},
      {1000, 0, 1, 7},
      {1000, 0, 1, 999},
      {1000, 0, 1, 1000},
      {1000, -500, 7, 40},
      {5000, 17, 2, 2500},
      {100000, 0, 1, 10},
      {0, -70000, 3, 100},
      {INT_MAX, INT_MAX - 10, 3, -1},
      {INT_MAX, INT_MIN, INT_MAX, -1},
      {INT_MIN + 5, INT_MIN, 1, -1},
      // Ranges far longer than the answer: only the touched places are held.
      {INT_MAX, 0, 1, 5},
      {INT_MAX, INT_MIN, 1, 3000},
      {INT_MAX, INT_MIN, 256, 40},
  };
  for (std::uint32_t seed : {1u, 4357u, 31337u}) {
    ShuffleNCommand command(seed);
    std::mt19937 reference = test::referenceEngine(seed);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "seed " << seed << ": end " << c.end << " start "
                                      << c.start << " step " << c.step << " count " << c.count);
      Arguments arguments{{1, decimal(c.end)}, {2, decimal(c.start)}, {3, decimal(c.step)}};
      if (c.count >= 0) arguments[4] = decimal(c.count);
      const std::int64_t limit = (c.end - c.start) / c.step;
      const std::int64_t count = c.count < 0 ? limit : std::min(c.count, limit);
      EXPECT_EQ(run(command, arguments).values,
                referenceDraw(reference, c.end, c.start, c.step, count));
    }
  }
}

// Every value, and every place in the answer, comes up as often as chance allows: the
// counts stay within five standard deviations of their expectation.
TEST(ShuffleNCommand, DrawsAreFair) {
  ShuffleNCommand command(4357);
  std::map<Text, int> dice;
  for (int i = 0; i < 60000; ++i)
    ++dice[run(command, {{1, u"7"}, {2, u"1"}, {3, u"1"}, {4, u"1"}}).values.at(0)];
  ASSERT_EQ(dice.size(), 6u);
  for (const auto& [face, times] : dice) {
    SCOPED_TRACE(std::string(face.begin(), face.end()));
    EXPECT_NEAR(times, 10000, 5 * 91.3);
  }

  // Three of 0, 3, 6, 9: each is left out a quarter of the time.
  std::map<Text, int> missing;
  for (int i = 0; i < 4000; ++i) {
    const std::vector<Text> three = run(command, {{1, u"10"}, {2, u"0"}, {3, u"3"}}).values;
    ASSERT_EQ(three.size(), 3u);
    for (const Text v : {u"0", u"3", u"6", u"9"}) {
      if (std::find(three.begin(), three.end(), v) == three.end()) ++missing[v];
    }
  }
  for (const Text v : {u"0", u"3", u"6", u"9"}) EXPECT_NEAR(missing[v], 1000, 5 * 27.4);

  std::map<std::vector<Text>, int> orders;
  for (int i = 0; i < 200; ++i) ++orders[run(command, {{1, u"2"}}).values];
  EXPECT_EQ(orders.size(), 2u);
}

TEST(ShuffleNCommand, JoinedResultWithOptionS) {
  struct Case {
    const char* name;
    Text options;
    bool joined;
  };
  const Case cases[] = {
      {"s alone", u"s", true},
      {"s among other letters", u"xsy", true},
      {"upper-case S", u"S", false},
      {"empty options", u"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShuffleNCommand command(0);  // draws only zeros: 0, 1, 2 stays in place
    const Outcome out = run(command, {{1, u"3"}, {5, c.options}});
    if (c.joined) {
      EXPECT_EQ(out.result, test::withSeparators(u"0|1|2|"));
      EXPECT_TRUE(out.values.empty());
    } else {
      EXPECT_TRUE(out.result.empty());
      EXPECT_EQ(out.values, (std::vector<Text>{u"0", u"1", u"2"}));
    }
  }
}

// An optional argument counts only when the request carries more arguments than its
// number, and every look-up adds the argument it looked for.
TEST(ShuffleNCommand, ArgumentLookupsCountEarlierLookups) {
  struct Case {
    const char* name;
    Arguments arguments;  // Argument0 is added
    std::vector<Text> values;
    const char16_t* result;
  };
  const Case cases[] = {
      {"count sent without start or step", {{1, u"5"}, {4, u"2"}}, {u"0", u"1"}, u""},
      {"options sent alone with the end", {{1, u"3"}, {5, u"s"}}, {}, u"0|1|2|"},
      {"step sent alone with the end", {{1, u"6"}, {3, u"2"}}, {u"0", u"2", u"4"}, u""},
      {"start without an end", {{2, u"-2"}}, {u"-2", u"-1"}, u""},
      {"empty step is 1, empty count is all",
       {{1, u"3"}, {3, u""}, {4, u""}},
       {u"0", u"1", u"2"},
       u""},
      {"arguments beyond the fifth are ignored", {{1, u"2"}, {9, u"5"}}, {u"0", u"1"}, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShuffleNCommand command(0);
    const Outcome out = run(command, c.arguments);
    EXPECT_EQ(out.status, SaoriRequest::kOk);
    EXPECT_EQ(out.values, c.values);
    EXPECT_EQ(out.result, test::withSeparators(c.result));
  }
}

TEST(ShuffleNCommand, RefusalsDrawNothing) {
  struct Case {
    const char* name;
    Arguments arguments;
  };
  const Case cases[] = {
      {"end below start", {{1, u"3"}, {2, u"5"}}},
      {"step 0", {{1, u"10"}, {3, u"0"}}},
      {"step -1", {{1, u"10"}, {3, u"-1"}}},
      {"end with a trailing blank", {{1, u"5 "}}},
      {"end with a letter", {{1, u"5a"}}},
      {"end a lone minus sign", {{1, u"-"}}},
      {"start with a decimal point", {{1, u"5"}, {2, u"1.5"}}},
      {"count not a number", {{1, u"5"}, {4, u"two"}}},
      {"negative count", {{1, u"5"}, {4, u"-1"}}},
      {"every value of a range one longer than an answer holds", {{1, u"16777217"}}},
      {"widest range with step 1", {{1, u"2147483647"}, {2, u"-2147483648"}}},
      {"a count one above the largest answer", {{1, u"2147483647"}, {4, u"16777217"}}},
      {"saturated end below start", {{1, u"-99999999999"}, {2, u"-2147483647"}}},
  };
  ShuffleNCommand refused(4357);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome out = run(refused, c.arguments);
    EXPECT_FALSE(out.ran);
    EXPECT_EQ(out.status, SaoriRequest::kBadRequest);
    EXPECT_TRUE(out.values.empty());
    EXPECT_TRUE(out.result.empty());
  }
  ShuffleNCommand fresh(4357);
  EXPECT_EQ(run(refused, {{1, u"500"}}).values, run(fresh, {{1, u"500"}}).values);
}

// The largest answer, 2^24 values, over a range twice as long: distinct, in range.
// It takes some hundreds of megabytes, more than a 32-bit test process may spare, and
// twenty seconds under the address sanitizer, which the smaller draws above cover.
TEST(ShuffleNCommand, LargestCountIsServed) {
  if (sizeof(void*) < 8) GTEST_SKIP() << "needs a 64-bit address space";
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "too slow under the address sanitizer";
#endif
#endif
  ShuffleNCommand command(1);
  SaoriRequest record;
  record.setArgument(0, u"shuffle_n");
  record.setArgument(1, u"33554432");
  record.setArgument(4, u"16777216");
  record.setArgument(5, u"s");
  ASSERT_TRUE(command.execute(record));
  std::vector<bool> seen(std::size_t{1} << 25);
  std::size_t values = 0, repeated = 0;
  std::size_t n = 0;
  for (const char16_t c : record.result) {
    if (c != kListSeparator) {
      n = n * 10 + static_cast<std::size_t>(c - u'0');
      continue;
    }
    if (n >= seen.size() || seen[n]) ++repeated;
    if (n < seen.size()) seen[n] = true;
    ++values;
    n = 0;
  }
  EXPECT_EQ(repeated, 0u);
  EXPECT_EQ(values, std::size_t{1} << 24);
}

}  // namespace
}  // namespace orrery
