#pragma once
// The command line of orrery-call: options in any order, in "--opt value" or
// "--opt=value" form, "--" ending them.
#include <optional>
#include <string>
#include <vector>

namespace orrery::host {

enum class Entry { kAuto, kWide, kEightBit };
enum class Output { kText, kLines, kRaw };
enum class Action { kExecute, kVersionQuery, kRaw, kHelp, kCommandHelp, kToolVersion };

struct CallOptions {
  Action action = Action::kExecute;
  std::string module;  // empty: the default module
  Entry entry = Entry::kAuto;
  std::string charset;  // as given, sent unchanged; empty: none sent
  Output output = Output::kText;
  bool lines = false;              // @FILE arguments: one item per line
  std::vector<std::string> words;  // the command name and its arguments
};

// Reads argv[1..]. Empty with `error` set on a usage error.
std::optional<CallOptions> parseCallOptions(const std::vector<std::string>& args,
                                            std::string& error);

}  // namespace orrery::host
