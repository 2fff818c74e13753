#include "command_reference.h"

#include "core_seam.h"
#include "markdown_text.h"

namespace orrery::host {

// Generated at build time from docs/commands.md and docs/commands.ja.md.
extern const char kCommandReference[];
extern const std::size_t kCommandReferenceSize;
extern const char kCommandReferenceJa[];
extern const std::size_t kCommandReferenceJaSize;

std::string_view commandReference(Language language) {
  if (language == Language::kJapanese)
    return std::string_view(kCommandReferenceJa, kCommandReferenceJaSize);
  return std::string_view(kCommandReference, kCommandReferenceSize);
}

std::string_view commandSection(std::string_view name, Language language) {
  const std::string_view text = commandReference(language);
  const std::string heading = "\n## " + std::string(name) + "\n";
  const std::size_t start = text.find(heading);
  if (start == std::string_view::npos) {
    return language == Language::kEnglish ? std::string_view() : commandSection(name);
  }
  const std::size_t end = text.find("\n## ", start + heading.size());
  return text.substr(start + 1,
                     end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::optional<Language> localeLanguage(const std::function<const char*(const char*)>& environment) {
  // The order the C library reads them in for messages.
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = environment(name);
    if (value == nullptr || *value == '\0') continue;
    return std::string_view(value).starts_with("ja") ? Language::kJapanese : Language::kEnglish;
  }
  return std::nullopt;
}

std::string localeTextCharset(const std::function<const char*(const char*)>& environment) {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = environment(name);
    if (value == nullptr || *value == '\0') continue;
    // language_TERRITORY.codeset@modifier
    std::string_view codeset(value);
    const std::size_t dot = codeset.find('.');
    if (dot == std::string_view::npos) return {};
    codeset = codeset.substr(dot + 1);
    codeset = codeset.substr(0, codeset.find('@'));
    switch (seam::knownCharsetNamed(codeset).value_or(seam::Charset::kUtf8)) {
      case seam::Charset::kShiftJis:
        return "Shift_JIS";
      case seam::Charset::kEucJp:
        return "EUC-JP";
      default:
        return {};
    }
  }
  return {};
}

std::string commandSummaries() {
  constexpr std::string_view kSynopsis = "\n    orrery-call ";
  std::string out;
  for (const seam::CommandShape& command : seam::commandShapes()) {
    const std::string& name = command.name;
    const std::string_view section = commandSection(name);
    // The section's first paragraph is its summary; its first indented line the synopsis.
    const std::size_t heading = section.find('\n');
    std::string_view summary = section.substr(heading + 2);
    summary = summary.substr(0, summary.find('\n'));
    const std::size_t s = section.find(kSynopsis);
    std::string_view synopsis =
        s == std::string_view::npos ? std::string_view(name) : section.substr(s + kSynopsis.size());
    synopsis = synopsis.substr(0, synopsis.find('\n'));
    out += "  " + std::string(synopsis) + "\n      " + plainInline(summary) + "\n";
  }
  return out;
}

}  // namespace orrery::host
