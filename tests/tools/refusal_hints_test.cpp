#include "refusal_hints.h"

#include <gtest/gtest.h>

#include <map>

namespace orrery::host {
namespace {

TEST(RefusalHint, PointsToTheLetterThatHelps) {
  const NumericLocale dot{u'.', "LC_ALL=C"};
  const NumericLocale comma{u',', "LC_NUMERIC=de_DE.UTF-8"};
  struct Case {
    const char* name;
    std::vector<std::u16string> words;
    const NumericLocale& locale;
    const char* expected;
  };
  const Case cases[] = {
      {"a decimal number wants F",
       {u"sort", u"1.5"},
       dot,
       "the key of item 1 (counted from 1) `1.5` is a decimal number (add F for float keys)"},
      {"the other decimal point",
       {u"sort",
        u"2\x0002"
        u"1.5"},
       comma,
       "the key of item 2 (counted from 1) `1.5` is a decimal number written with `.` (F reads "
       "float keys, but the decimal point here is `,`, from LC_NUMERIC=de_DE.UTF-8)"},
      {"F under a locale with another point",
       {u"sort", u"1.5", u"F"},
       comma,
       "sort F: the key of item 1 (counted from 1) `1.5` is not a number (the decimal point here "
       "is `,`, from LC_NUMERIC=de_DE.UTF-8; this key is written with `.`)"},
      {"full-width digits",
       {u"sort", u"\xFF11\xFF12"},
       dot,
       "holds full-width digits; numbers take only the ASCII digits 0-9 (add S for text keys)"},
      {"text wants S",
       {u"sort", u"3\x0002x"},
       dot,
       "the key of item 2 (counted from 1) `x` is not an integer (add S for text keys)"},
      {"one item, not one items",
       {u"make_pair", u"a",
        u"b\x0002"
        u"c"},
       dot,
       "make_pair: the first list has 1 item, the second 2; they must be of equal length"},
      {"the limit is on the answer, not the range",
       {u"shuffle_n", u"16777217"},
       dot,
       "shuffle_n: the answer would hold 16777217 values, more than 2^24 (16777216)"},
      {"a given count above 2^24",
       {u"shuffle_n", u"2147483647", u"0", u"1", u"16777217"},
       dot,
       "shuffle_n: the answer would hold 16777217 values"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NE(refusalHint(c.words, c.locale).find(c.expected), std::string::npos)
        << refusalHint(c.words, c.locale);
  }
}

#ifndef _WIN32
TEST(NumericLocaleSource, NamesTheVariableInEffect) {
  using Environment = std::map<std::string, std::string>;
  const std::pair<Environment, std::string> cases[] = {
      {{{"LC_ALL", "de_DE.UTF-8"}, {"LC_NUMERIC", "C"}, {"LANG", "C"}}, "LC_ALL=de_DE.UTF-8"},
      {{{"LC_ALL", ""}, {"LC_NUMERIC", "fr_FR.UTF-8"}, {"LANG", "C"}}, "LC_NUMERIC=fr_FR.UTF-8"},
      {{{"LANG", "ja_JP.UTF-8"}}, "LANG=ja_JP.UTF-8"},
      {{}, "the C locale (LC_ALL, LC_NUMERIC and LANG are unset)"},
  };
  for (const auto& [environment, expected] : cases) {
    const Environment& variables = environment;
    EXPECT_EQ(numericLocaleSource([&variables](const char* name) -> const char* {
                const auto found = variables.find(name);
                return found == variables.end() ? nullptr : found->second.c_str();
              }),
              expected);
  }
}
#endif

}  // namespace
}  // namespace orrery::host
