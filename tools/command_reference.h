#pragma once
// The command reference, docs/commands.md, built into the tool so that --help and
// help COMMAND print the same text the documentation holds.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orrery::host {

// The reference in English (docs/commands.md) or Japanese (docs/commands.ja.md). Both
// have one "## NAME" section per command and one for orrery-call.
enum class Language { kEnglish, kJapanese };

// The whole reference (Markdown).
std::string_view commandReference(Language language = Language::kEnglish);

// The section of one command, from its heading to the next; empty for an unknown name.
// A section the Japanese reference lacks comes from the English one.
std::string_view commandSection(std::string_view name, Language language = Language::kEnglish);

// The language of the user's messages locale, `environment` being getenv: Japanese when
// the first of LC_ALL, LC_MESSAGES and LANG that is set begins with "ja".
// Empty when none is set (the caller may then ask the system).
std::optional<Language> localeLanguage(const std::function<const char*(const char*)>& environment);

// The charset the user's terminal takes, `environment` being getenv: "Shift_JIS" or
// "EUC-JP" when the first of LC_ALL, LC_CTYPE and LANG that is set names one of them as
// its codeset (ja_JP.SJIS, ja_JP.eucJP), else empty: UTF-8 is written.
std::string localeTextCharset(const std::function<const char*(const char*)>& environment);

// For each command: its synopsis and its one-line summary, indented for --help.
std::string commandSummaries();

}  // namespace orrery::host
