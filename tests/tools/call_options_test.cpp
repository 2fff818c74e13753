#include "call_options.h"

#include <gtest/gtest.h>

namespace orrery::host {
namespace {

TEST(CallOptions, ReadsOptionsAnywhereAndRefusesWhatItCannotUse) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    bool ok;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {"options after the command",
       {"sort", "@f", "--lines", "S", "--output", "lines"},
       true,
       {"sort", "@f", "S"}},
      {"--opt=value", {"--output=lines", "--entry=w", "sort", "a"}, true, {"sort", "a"}},
      {"dash arguments after the command",
       {"shuffle_n", "0", "-3"},
       true,
       {"shuffle_n", "0", "-3"}},
      {"-- ends the options", {"--", "--odd", "x"}, true, {"--odd", "x"}},
      {"unknown leading word", {"-x", "sort", "a"}, false, {}},
      {"unknown long option after the command", {"sort", "--sorted"}, false, {}},
      {"missing value", {"sort", "a", "--module"}, false, {}},
      {"value for a flag", {"--raw=yes"}, false, {}},
      {"words after --get-version", {"--get-version", "sort"}, false, {}},
      {"words after --version", {"--version", "sort"}, false, {}},
      {"charset with the wide entry",
       {"--entry", "w", "--charset", "UTF-8", "sort", "a"},
       false,
       {}},
      {"unknown charset", {"--charset", "latin1", "sort", "a"}, false, {}},
      {"unknown output", {"--output", "json", "sort", "a"}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    const auto o = parseCallOptions(c.args, error);
    EXPECT_EQ(o.has_value(), c.ok) << error;
    if (o) {
      EXPECT_EQ(o->words, c.words);
    }
  }
}

TEST(CallOptions, TakesEveryCharsetSpellingTheModuleReads) {
  struct Case {
    const char* name;
    bool ok;
  };
  const Case cases[] = {{"utf-8", true},       {"UTF8", true},      {"SJIS", true},
                        {"cp932", true},       {"shift_jis", true}, {"eucJP", true},
                        {"iso-2022-jp", true}, {"latin1", false},   {"", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    const auto o = parseCallOptions({"--charset", c.name, "sort", "a"}, error);
    ASSERT_EQ(o.has_value(), c.ok) << error;
    if (!o) continue;
    EXPECT_EQ(o->entry, Entry::kEightBit);
    EXPECT_EQ(o->charset, c.name);  // sent as written: the module reads it the same way
  }
}

}  // namespace
}  // namespace orrery::host
