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

TEST(CallOptions, CharsetNamesInAnyCaseBecomeTheModulesSpelling) {
  EXPECT_EQ(canonicalCharset("utf-8"), "UTF-8");
  EXPECT_EQ(canonicalCharset("SHIFT_JIS"), "Shift_JIS");
  EXPECT_EQ(canonicalCharset("euc-jp"), "EUC-JP");
  EXPECT_EQ(canonicalCharset("iso-2022-jp"), "ISO-2022-JP");
  EXPECT_EQ(canonicalCharset("utf8"), "");
  std::string error;
  const auto o = parseCallOptions({"--charset", "utf-8", "sort", "a"}, error);
  ASSERT_TRUE(o);
  EXPECT_EQ(o->entry, Entry::kEightBit);
  EXPECT_EQ(o->charset, "UTF-8");
}

}  // namespace
}  // namespace orrery::host
