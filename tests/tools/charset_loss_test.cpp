#include "charset_loss.h"

#include <gtest/gtest.h>

namespace orrery::host {
namespace {

TEST(CharsetLoss, FindsWhatTheModuleWouldReceiveChanged) {
  struct Case {
    const char* charset;
    std::vector<std::string_view> arguments;
    std::size_t count;
    std::string firstShown;  // "" when nothing is lost
    std::size_t argument;
    std::size_t item;
  };
  const Case cases[] = {
      {"Shift_JIS", {"sort", "\xF0\xA0\xAE\xB7野\x02吉野", "S"}, 1, "𠮷", 1, 0},
      {"SJIS",
       {"sort",
        "tea\x02"
        "caf\xC3\xA9"},
       1,
       "é",
       1,
       1},
      {"EUC-JP", {"sort", "髙橋"}, 1, "髙", 1, 0},   // a code page 932 extension
      {"ISO-2022-JP", {"sort", "ｱ"}, 1, "ｱ", 1, 0},  // no half-width kana there
      {"Shift_JIS", {"sort", "ｱ\x02髙橋\x02あ"}, 0, "", 0, 0},
      {"EUC-JP", {"sort", "あ\x02ｱ"}, 0, "", 0, 0},
      {"UTF-8",
       {"sort",
        "𠮷\x02"
        "café"},
       0,
       "",
       0,
       0},
      {"Shift_JIS",
       {"make_pair", "a",
        "b\x02"
        "é\x02é\x02é\x02é"},
       4,
       "é",
       2,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.charset) + " " + std::string(c.arguments[1]));
    const CharsetLoss loss = findCharsetLoss(c.arguments, c.charset);
    EXPECT_EQ(loss.count, c.count);
    EXPECT_LE(loss.first.size(), 3u);
    if (c.count == 0) continue;
    ASSERT_FALSE(loss.first.empty());
    EXPECT_EQ(loss.first[0].character, c.firstShown);
    EXPECT_EQ(loss.first[0].argument, c.argument);
    EXPECT_EQ(loss.first[0].item, c.item);
  }
}

TEST(CharsetLoss, TheWarningSaysHowManyWhereAndWhatKeepsThem) {
  const std::string warning = charsetLossWarning(findCharsetLoss({"sort",
                                                                  "a\x02"
                                                                  "caf\xC3\xA9\x02"
                                                                  "\xC3\xA9t\xC3\xA9"},
                                                                 "Shift_JIS"),
                                                 "Shift_JIS");
  EXPECT_EQ(warning,
            "Shift_JIS cannot carry 3 characters of this request; the module receives them "
            "changed (mostly as `?`): `é` in Argument1 item 2, `é` in Argument1 item 3, `é` in "
            "Argument1 item 3 (items counted from 1: with --lines, the line number). UTF-8 keeps "
            "them: --charset UTF-8");
  EXPECT_EQ(charsetLossWarning(CharsetLoss{}, "Shift_JIS"), "");
  // No Charset header (--entry 8 alone) is Shift_JIS, and the warning names it.
  EXPECT_TRUE(charsetLossWarning(findCharsetLoss({"sort", "\xC3\xA9"}, ""), "")
                  .starts_with("Shift_JIS cannot carry 1 character"));
}

}  // namespace
}  // namespace orrery::host
