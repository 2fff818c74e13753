#include "commands/lists/shuffle_n_command.h"

#include <gtest/gtest.h>

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

// The whole sequence built and permuted by the reference loop, then cut to `count`.
std::vector<Text> referenceDraw(std::mt19937& engine, std::int64_t end, std::int64_t start,
                                std::int64_t step, std::int64_t count) {
  std::vector<std::int64_t> sequence;
  for (std::int64_t v = start; v < end; v += step) sequence.push_back(v);
  test::referencePermute(engine, sequence);
  std::vector<Text> out;
  for (std::int64_t i = 0; i < count; ++i) out.push_back(decimal(sequence[i]));
  return out;
}

TEST(ShuffleNCommand, KnownOrders) {
  struct Case {
    const char* name;
    std::uint32_t seed;
    Arguments arguments;
    std::vector<Text> expected;
  };
  const Case cases[] = {
      {"end 2 always gives 1 then 0", 4357, {{1, u"2"}}, {u"1", u"0"}},
      {"end 5 start 3", 1, {{1, u"5"}, {2, u"3"}}, {u"4", u"3"}},
      // Seed 0 draws only zeros, so every step swaps with position 0.
      {"negative range", 0, {{1, u"0"}, {2, u"-3"}}, {u"-1", u"-3", u"-2"}},
      {"blanks and plus before the end", 0, {{1, u" \t+3"}}, {u"2", u"0", u"1"}},
      {"count 0", 1, {{1, u"9"}, {4, u"0"}}, {}},
      {"end 0", 1, {{1, u"0"}}, {}},
      {"empty end reads as 0", 1, {{1, u""}}, {}},
      {"end equal to start", 1, {{1, u"-4"}, {2, u"-4"}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShuffleNCommand command(c.seed);
    const Outcome out = run(command, c.arguments);
    EXPECT_TRUE(out.ran);
    EXPECT_EQ(out.status, SaoriRequest::kOk);
    EXPECT_EQ(out.values, c.expected);
    EXPECT_TRUE(out.result.empty());
  }
}

// Only the returned prefix is kept while the loop runs; it must equal the prefix of the
// whole sequence permuted, for every count, across requests on one generator.
TEST(ShuffleNCommand, MatchesTheReferenceLoopOverTheWholeSequence) {
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
    ShuffleNCommand command(0);  // draws only zeros: 0, 1, 2 becomes 2, 0, 1
    const Outcome out = run(command, {{1, u"3"}, {5, c.options}});
    if (c.joined) {
      EXPECT_EQ(out.result, test::withSeparators(u"2|0|1|"));
      EXPECT_TRUE(out.values.empty());
    } else {
      EXPECT_TRUE(out.result.empty());
      EXPECT_EQ(out.values, (std::vector<Text>{u"2", u"0", u"1"}));
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
      {"count sent without start or step", {{1, u"5"}, {4, u"2"}}, {u"4", u"0"}, u""},
      {"options sent alone with the end", {{1, u"3"}, {5, u"s"}}, {}, u"2|0|1|"},
      {"step sent alone with the end", {{1, u"6"}, {3, u"2"}}, {u"4", u"0", u"2"}, u""},
      {"start without an end", {{2, u"-2"}}, {u"-1", u"-2"}, u""},
      {"empty step is 1, empty count is all",
       {{1, u"3"}, {3, u""}, {4, u""}},
       {u"2", u"0", u"1"},
       u""},
      {"arguments beyond the fifth are ignored", {{1, u"2"}, {9, u"5"}}, {u"1", u"0"}, u""},
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
      {"range one value too long", {{1, u"16777217"}}},
      {"widest range with step 1", {{1, u"2147483647"}, {2, u"-2147483648"}}},
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

TEST(ShuffleNCommand, LongestRangeIsServed) {
  // 2^24 values exactly: INT_MIN, INT_MIN + 256, … up to the last one below INT_MAX.
  ShuffleNCommand command(1);
  const Outcome out =
      run(command, {{1, u"2147483647"}, {2, u"-2147483648"}, {3, u"256"}, {4, u"3"}});
  EXPECT_EQ(out.status, SaoriRequest::kOk);
  ASSERT_EQ(out.values.size(), 3u);
  for (const Text& v : out.values) {
    std::int64_t n = std::stoll(std::string(v.begin(), v.end()));
    EXPECT_EQ((n - INT_MIN) % 256, 0);
    EXPECT_LT(n, INT_MAX);
  }
}

}  // namespace
}  // namespace orrery
