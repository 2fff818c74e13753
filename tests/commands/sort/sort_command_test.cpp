#include "commands/sort/sort_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "commands/command_test_support.h"
#include "protocol/decimal_format.h"

namespace orrery::test {
namespace {

struct Case {
  const char* name;
  TextView list;
  std::optional<TextView> options;  // Argument2, when sent
  std::vector<Text> values;
  Text result = {};
};

void check(const Case& c) {
  SCOPED_TRACE(c.name);
  SortCommand command;
  std::map<std::uint32_t, TextView> arguments{{1, c.list}};
  if (c.options) arguments[2] = *c.options;
  expectAnswer(command, arguments, c.values, c.result);
}

TEST(SortCommandTest, OptionLetters) {
  const Case cases[] = {
      {"integer keys by default", u"10|9|-3", std::nullopt, {u"-3", u"9", u"10"}},
      {"S: code-unit order", u"10|9|-3", u"S", {u"-3", u"10", u"9"}},
      {"A: equal keys in reading order", u"b|a|b", u"SA", {u"1", u"0", u"2"}},
      {"R: the exact reverse, equal keys too", u"b|a|b", u"SAR", {u"2", u"0", u"1"}},
      {"Reverse: reversed, joined, integer keys", u"10|9|-3", u"Reverse", {}, u"10|9|-3|"},
      {"S beats F", u"10|9|-3", u"FS", {u"-3", u"10", u"9"}},
      {"F beats L", u"10|9|-3|100", u"LF", {u"-3", u"9", u"10", u"100"}},
      {"L: length, then reading order", u"ccc|a|bb|d", u"L", {u"a", u"d", u"bb", u"ccc"}},
      {"P beats V", u"b^2|a^1", u"SVP", {u"a^1", u"b^2"}},
      {"V beats A", u"b^2|a^1", u"SAV", {u"1", u"2"}},
      {"s joins into Result", u"b|a", u"Ss", {}, u"a|b|"},
      {"other characters ignored", u"b|a", u"xyz S!", {u"a", u"b"}},
      {"lower-case letters are different options", u"10|9", u"sra", {}, u"9|10|"},
  };
  for (const Case& c : cases) check(c);
}

TEST(SortCommandTest, ListsAndParts) {
  const Case cases[] = {
      {"empty list", u"", std::nullopt, {}},
      {"empty list joined", u"", u"s", {}},
      {"lone separator is one empty item", u"|", std::nullopt, {u""}},
      {"trailing separator adds nothing", u"x|", u"S", {u"x"}},
      {"empty item sorts as 0", u"3||1", std::nullopt, {u"", u"1", u"3"}},
      {"empty item sorts as 0.0", u"3||-1", u"F", {u"-1", u"", u"3"}},
      {"empty item has length 0", u"3||1", u"L", {u"", u"3", u"1"}},
      {"empty item is the least text", u"3||1", u"S", {u"", u"1", u"3"}},
      {"only the first PairSeparator splits: V", u"k^x^y", u"SV", {u"x^y"}},
      {"only the first PairSeparator splits: P", u"k^x^y", u"SP", {u"k^x^y"}},
      {"no PairSeparator: V gives empty", u"k", u"SV", {u""}},
      {"no PairSeparator: P adds one", u"k", u"SP", {u"k^"}},
      {"key is the first part", u"2^a|1^b", u"V", {u"b", u"a"}},
      {"empty first part with a second part", u"b|^x", u"SP", {u"^x", u"b^"}},
      {"final item with empty second part", u"b|a^", u"SP", {u"a^", u"b^"}},
      {"length counts code units", u"\U0001F600|ab|c", u"L", {u"c", u"\U0001F600", u"ab"}},
      {"A counts empty items", u"b||a", u"SA", {u"1", u"2", u"0"}},
      {"index joined", u"b|a", u"SAs", {}, u"1|0|"},
  };
  for (const Case& c : cases) check(c);
}

TEST(SortCommandTest, NumberKeys) {
  const Case cases[] = {
      {"leading space kept in output", u" 7|3", std::nullopt, {u"3", u" 7"}},
      {"saturates at the 32-bit bounds",
       u"2147483648|2147483647|-2147483649|-2147483648",
       u"A",
       {u"2", u"3", u"0", u"1"}},
      {"d exponent", u"1d2|99", u"F", {u"99", u"1d2"}},
      {"infinities at the ends", u"1e400|-1e400|0", u"F", {u"-1e400", u"0", u"1e400"}},
      {"negative zero equals zero", u"0|-0", u"FA", {u"0", u"1"}},
      {"integer order reversed", u"2|10|1|10", u"AR", {u"3", u"1", u"0", u"2"}},
  };
  for (const Case& c : cases) check(c);
}

TEST(SortCommandTest, FailedConversionAnswersBadRequest) {
  struct Failure {
    const char* name;
    TextView list;
    TextView options;
  } cases[] = {
      {"trailing space", u"1|7 ", u""},
      {"hexadecimal", u"0x10", u""},
      {"fraction under integer keys", u"1.5", u"A"},
      {"white space only, integer", u" |1", u""},
      {"white space only, float", u" |1", u"F"},
      {"infinity name", u"inf", u"F"},
      {"not a number", u"nan", u"Fs"},
      {"bad key after good ones", u"1|2|3|x", u"R"},
  };
  for (const Failure& c : cases) {
    SCOPED_TRACE(c.name);
    SortCommand command;
    const Outcome o = run(command, {{1, c.list}, {2, c.options}});
    EXPECT_FALSE(o.returned);
    EXPECT_EQ(o.status, SaoriRequest::kBadRequest);
    EXPECT_TRUE(o.values.empty());
    EXPECT_TRUE(o.result.empty());
  }
}

TEST(SortCommandTest, OptionsNeedThreeArguments) {
  SortCommand command;
  // Argument2 absent: reading Argument1 must not make the options count.
  EXPECT_EQ(run(command, {{1, u"10|9"}, {5, u"S"}}).values, (std::vector<Text>{u"9", u"10"}));
  // Argument2 present but empty: integer keys.
  EXPECT_EQ(run(command, {{1, u"10|9"}, {2, u""}}).values, (std::vector<Text>{u"9", u"10"}));
}

// Large random lists with many equal keys against std::stable_sort: catches ordering
// and stability faults that small tables miss (all radix digits, shared text prefixes).
TEST(SortCommandTest, MatchesStableSortOnRandomLists) {
  std::mt19937 rng(7);
  for (TextView options : {TextView(u"A"), TextView(u"AR"), TextView(u"SA"), TextView(u"LA")}) {
    SCOPED_TRACE(std::string(options.begin(), options.end()));
    std::vector<Text> items;
    Text list;
    // Text keys get more items than the bucketed path of long lists needs.
    const int count = options[0] == u'S' ? 70000 : 5000;
    for (int i = 0; i < count; ++i) {
      Text item;
      if (options[0] == u'A' && i % 3 == 0) {
        appendSigned(item, static_cast<std::int32_t>(rng()));
      } else if (options[0] == u'A') {
        appendSigned(item, static_cast<std::int32_t>(rng() % 41) - 20);
      } else {
        // Shared prefixes: order often decided past the first four units.
        item = (rng() % 2) ? u"abcd" : u"\x3042";
        for (std::uint32_t n = rng() % 4; n > 0; --n) item.push_back(u"ab\x3042"[rng() % 3]);
      }
      list += item + u"|";
      items.push_back(item);
    }
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      if (options[0] == u'S') return items[a] < items[b];
      if (options[0] == u'L') return items[a].size() < items[b].size();
      return std::stoll(std::string(items[a].begin(), items[a].end())) <
             std::stoll(std::string(items[b].begin(), items[b].end()));
    });
    if (options == u"AR") std::reverse(order.begin(), order.end());
    std::vector<Text> expected;
    for (std::size_t i : order) {
      Text index;
      appendUnsigned(index, i);
      expected.push_back(index);
    }
    SortCommand command;
    EXPECT_EQ(run(command, {{1, list}, {2, options}}).values, expected);
  }
}

// Text order against std::stable_sort at sizes on both sides of every switch of the
// text sort (small groups, each digit of the prefix, groups whose whole prefix is
// equal), over alphabets with long shared prefixes, units that differ only in their
// high byte, and U+0000, the value that pads short prefixes.
TEST(SortCommandTest, TextOrderMatchesStableSortAtEverySize) {
  const Text alphabets[] = {
      Text(u"ab"),
      Text({u'\0', u'a', u'\x00FF', u'\x0100', u'\xFFFF'}),
      Text(u"Az\x3042\x3043\x4E00"),
  };
  std::mt19937 rng(11);
  for (const Text& alphabet : alphabets) {
    for (const std::size_t count : {2, 31, 33, 300, 5000, 40000}) {
      SCOPED_TRACE(count);
      std::vector<Text> items(count);
      Text list;
      for (Text& item : items) {
        for (std::uint32_t n = rng() % 9; n > 0; --n)
          item.push_back(alphabet[rng() % alphabet.size()]);
        list += item + u"|";
      }
      std::vector<std::size_t> order(count);
      for (std::size_t i = 0; i < count; ++i) order[i] = i;
      std::stable_sort(order.begin(), order.end(),
                       [&](std::size_t a, std::size_t b) { return items[a] < items[b]; });
      std::vector<Text> expected;
      for (const std::size_t i : order) {
        expected.emplace_back();
        appendUnsigned(expected.back(), i);
      }
      SortCommand command;
      EXPECT_EQ(run(command, {{1, list}, {2, u"SA"}}).values, expected);
    }
  }
}

}  // namespace
}  // namespace orrery::test
