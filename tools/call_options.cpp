#include "call_options.h"

#include "core_seam.h"

namespace orrery::host {

std::optional<CallOptions> parseCallOptions(const std::vector<std::string>& args,
                                            std::string& error) {
  CallOptions o;
  bool entryGiven = false;
  bool versionQuery = false;
  bool raw = false;
  bool help = false;
  bool toolVersion = false;
  bool optionsEnded = false;
  auto fail = [&](std::string message) -> std::optional<CallOptions> {
    error = std::move(message);
    return std::nullopt;
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // Before the command name every word with a leading dash is an option; after it only
    // "--" words are, so that arguments such as -3 pass.
    const bool looksLikeOption =
        o.words.empty() ? a.size() > 1 && a[0] == '-' : a.starts_with("--");
    if (optionsEnded || !looksLikeOption) {
      o.words.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = a;
    std::optional<std::string> value;
    if (const std::size_t eq = a.find('='); eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    }
    auto takeValue = [&]() -> bool {
      if (value) return true;
      if (i + 1 >= args.size()) return false;
      value = args[++i];
      return true;
    };
    auto flag = [&](bool& target) -> bool {
      if (value) return false;
      target = true;
      return true;
    };
    if (name == "--module") {
      if (!takeValue() || value->empty()) return fail("--module needs a path");
      o.module = *value;
    } else if (name == "--entry") {
      if (!takeValue() || (*value != "w" && *value != "8")) return fail("--entry takes w or 8");
      o.entry = *value == "w" ? Entry::kWide : Entry::kEightBit;
      entryGiven = true;
    } else if (name == "--charset") {
      if (!takeValue()) return fail("--charset needs a name");
      // The module's own table decides, so every spelling it reads is taken here too.
      if (value->empty() || !seam::knownCharsetNamed(*value)) {
        return fail("unknown charset " + *value + "; the module reads " +
                    seam::knownCharsetSpellings() + " (any case, _ for -)");
      }
      o.charset = *value;
    } else if (name == "--output") {
      if (!takeValue()) return fail("--output takes text, lines or raw");
      if (*value == "text") {
        o.output = Output::kText;
      } else if (*value == "lines") {
        o.output = Output::kLines;
      } else if (*value == "raw") {
        o.output = Output::kRaw;
      } else {
        return fail("--output takes text, lines or raw");
      }
    } else if (name == "--lines") {
      if (!flag(o.lines)) return fail("--lines takes no value");
    } else if (name == "--raw") {
      if (!flag(raw)) return fail("--raw takes no value");
    } else if (name == "--get-version") {
      if (!flag(versionQuery)) return fail("--get-version takes no value");
    } else if (name == "--version" || name == "--tool-version") {
      // --tool-version is the older spelling.
      if (!flag(toolVersion)) return fail(name + " takes no value");
    } else if (name == "--help" || name == "-h") {
      if (!flag(help)) return fail(name + " takes no value");
    } else {
      return fail("unknown option " + a);
    }
  }

  if (help) {
    o.action = Action::kHelp;
    return o;
  }
  if (toolVersion) {
    if (raw || versionQuery || !o.words.empty()) return fail("--version stands alone");
    o.action = Action::kToolVersion;
    return o;
  }
  if (!o.words.empty() && o.words[0] == "help") {
    if (o.words.size() > 2) return fail("help takes one command name");
    o.action = o.words.size() == 2 ? Action::kCommandHelp : Action::kHelp;
    return o;
  }
  if (!o.charset.empty()) {
    if (o.entry == Entry::kWide)
      return fail("--charset is for the 8-bit entry; it cannot go with --entry w");
    o.entry = Entry::kEightBit;
  }
  if (raw && versionQuery) return fail("--raw and --get-version exclude each other");
  if (raw || versionQuery) {
    if (!o.words.empty()) {
      return fail(std::string(raw ? "--raw" : "--get-version") +
                  " takes no command or arguments (got " + o.words[0] + ")");
    }
    if (raw && (o.output != Output::kText || o.lines))
      return fail("--raw takes no --output or --lines");
    if (raw && !o.charset.empty())
      return fail("--raw sends the request unchanged; it takes no --charset");
    o.action = raw ? Action::kRaw : Action::kVersionQuery;
    if (raw && !entryGiven) o.entry = Entry::kWide;
    return o;
  }
  if (o.words.empty()) return fail("no command given");
  return o;
}

}  // namespace orrery::host
