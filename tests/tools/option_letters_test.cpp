#include "option_letters.h"

#include <gtest/gtest.h>

namespace orrery::host {
namespace {

TEST(IgnoredOptionsNote, NamesWhatTheCommandDoesNotRead) {
  struct Case {
    const char* name;
    std::vector<std::string_view> arguments;
    const char* expected;
  };
  const Case cases[] = {
      {"desc: only s counts",
       {"sort",
        "3\x02"
        "1",
        "desc"},
       "sort ignores `d`, `e`, `c` in its options `desc` (Argument2); its letters are S F L P V "
       "A s R"},
      {"known letters and separators", {"sort", "a", "S, R s"}, ""},
      {"a letter in the wrong case", {"unique", "a", "v"}, "unique ignores `v`"},
      {"non-ASCII letters are named", {"union", "a", "b", "\xEF\xBC\xB3"}, "union ignores `Ｓ`"},
      {"shuffle has no options",
       {"shuffle",
        "a\x02"
        "b",
        "s"},
       "shuffle reads no Argument2, so `s` is ignored (shuffle takes no options)"},
      {"options in the wrong argument",
       {"make_pair", "a", "b", "", "s"},
       "make_pair reads no Argument4, so `s` is ignored (its options go in Argument3)"},
      {"shuffle_n reads its options from Argument5",
       {"shuffle_n", "10", "0", "1", "3", "S"},
       "shuffle_n ignores `S` in its options `S` (Argument5); its letters are s"},
      {"an empty extra argument is nothing", {"sort", "a", "", ""}, ""},
      {"an unknown command", {"SORT", "a", "xyz"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string note = ignoredOptionsNote(c.arguments);
    if (*c.expected == '\0') {
      EXPECT_EQ(note, "");
    } else {
      EXPECT_NE(note.find(c.expected), std::string::npos) << note;
    }
  }
}

}  // namespace
}  // namespace orrery::host
