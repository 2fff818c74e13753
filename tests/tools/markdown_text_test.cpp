#include "markdown_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "command_reference.h"

namespace orrery::host {
namespace {

TEST(MarkdownToText, MakesTheReferencePlain) {
  struct Case {
    const char* name;
    const char* markdown;
    const char* text;
  };
  const Case cases[] = {
      {"heading", "## sort\n", "sort\n----\n"},
      {"code spans lose their backticks", "Add `S` for `a\\2b`.\n", "Add S for a\\2b.\n"},
      {"a span with a blank keeps it in quotes", "`7 ` with a blank\n", "\"7 \" with a blank\n"},
      {"indented code stays as it is", "    $ orrery-call sort '`x`'\n",
       "    $ orrery-call sort '`x`'\n"},
      {"links", "see [docs/commands.md](docs/commands.md) or [the guide](hosts.md)\n",
       "see docs/commands.md or the guide (hosts.md)\n"},
      {"a table as aligned columns",
       "| Letter | Effect |\n|---|---|\n| `S` | text keys |\n| `\\|` | a pipe |\n",
       "  Letter  Effect\n  ------  ---------\n  S       text keys\n  |       a pipe\n"},
      {"wide characters count two columns", "| 名前 | x |\n|---|---|\n| a | y |\n",
       "  名前  x\n  ----  -\n  a     y\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(markdownToText(c.markdown), c.text);
  }
}

TEST(MarkdownToText, AWideTableWrapsItsLastColumnOrBecomesOneBlockPerRow) {
  const char* table =
      "| Argument | Meaning |\n|---|---|\n| `END` | every number returned is below it |\n";
  EXPECT_EQ(markdownToText(table),
            "  Argument  Meaning\n  --------  ---------------------------------\n"
            "  END       every number returned is below it\n");
  EXPECT_EQ(markdownToText(table, 40),
            "  Argument  Meaning\n  --------  ----------------------------\n"
            "  END       every number returned is\n            below it\n");
  EXPECT_EQ(markdownToText(table, 30), "  END\n      Meaning: every number returned is below it\n");
}

TEST(MarkdownToText, NoMarkupIsLeftInAnyCommandSection) {
  for (const Language language : {Language::kEnglish, Language::kJapanese}) {
    for (const char* name : {"sort", "shuffle", "shuffle_n", "unique", "make_pair", "intersection",
                             "difference", "union", "symmetric_difference"}) {
      SCOPED_TRACE(name);
      const std::string text = markdownToText(commandSection(name, language));
      ASSERT_FALSE(text.empty());
      EXPECT_TRUE(text.starts_with(std::string(name) + "\n"));
      std::size_t start = 0;
      while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = std::string_view(text).substr(start, end - start);
        if (!line.starts_with("    ")) {  // code blocks keep what they show
          EXPECT_EQ(line.find('`'), std::string_view::npos) << line;
          EXPECT_FALSE(line.starts_with("|") || line.starts_with("#")) << line;
        }
        start = end + 1;
      }
    }
  }
}

using Env = std::vector<std::pair<const char*, const char*>>;

// getenv over the variables of `env`.
std::function<const char*(const char*)> lookUpIn(const Env& env) {
  return [&env](const char* name) -> const char* {
    for (const auto& [key, value] : env) {
      if (std::string_view(key) == name) return value;
    }
    return nullptr;
  };
}

TEST(LocaleLanguage, FollowsTheMessagesLocale) {
  const std::pair<Env, std::optional<Language>> cases[] = {
      {{{"LANG", "ja_JP.UTF-8"}}, Language::kJapanese},
      {{{"LC_ALL", "C"}, {"LANG", "ja_JP.UTF-8"}}, Language::kEnglish},
      {{{"LC_ALL", ""}, {"LC_MESSAGES", "ja_JP.eucJP"}}, Language::kJapanese},
      {{{"LANG", "de_DE.UTF-8"}}, Language::kEnglish},
      {{}, std::nullopt},
  };
  for (const auto& [env, language] : cases) EXPECT_EQ(localeLanguage(lookUpIn(env)), language);
}

// Help follows a Japanese terminal's charset; UTF-8 and other codesets get UTF-8.
TEST(LocaleTextCharset, FollowsTheCharacterLocale) {
  const std::pair<Env, std::string> cases[] = {
      {{{"LANG", "ja_JP.eucJP"}}, "EUC-JP"},
      {{{"LC_ALL", "ja_JP.SJIS"}, {"LANG", "ja_JP.UTF-8"}}, "Shift_JIS"},
      {{{"LC_CTYPE", "ja_JP.UTF-8@x"}, {"LANG", "ja_JP.eucJP"}}, ""},
      {{{"LANG", "de_DE.ISO-8859-1"}}, ""},
      {{{"LANG", "C"}}, ""},
  };
  for (const auto& [env, charset] : cases) EXPECT_EQ(localeTextCharset(lookUpIn(env)), charset);
}

}  // namespace
}  // namespace orrery::host
