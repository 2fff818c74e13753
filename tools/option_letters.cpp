#include "option_letters.h"

#include <algorithm>

#include "encoding/utf8.h"
#include "list_input.h"
#include "response_display.h"

namespace orrery::host {
namespace {

struct CommandOptions {
  std::string_view name;
  std::size_t optionsArgument;  // 0: the command takes no options
  std::size_t lastArgument;     // the last argument the command reads
  std::u16string_view letters;
};

constexpr CommandOptions kCommands[] = {
    {"sort", 2, 2, u"SFLPVAsR"},  {"shuffle", 0, 1, u""},    {"shuffle_n", 5, 5, u"s"},
    {"unique", 2, 2, u"VPs"},     {"make_pair", 3, 3, u"s"}, {"intersection", 3, 3, u"VPs"},
    {"difference", 3, 3, u"VPs"}, {"union", 3, 3, u"VPs"},   {"symmetric_difference", 3, 3, u"VPs"},
};

constexpr std::size_t kShownLength = 40;

std::string quoted(std::string_view bytes) { return quotedExcerpt(bytes, kShownLength); }

bool isSeparator(char16_t c) {
  return c < 0x80 && !(c >= u'0' && c <= u'9') && !(c >= u'A' && c <= u'Z') &&
         !(c >= u'a' && c <= u'z');
}

std::string spaced(std::u16string_view letters) {
  std::string out;
  for (char16_t c : letters) {
    if (!out.empty()) out += ' ';
    out += static_cast<char>(c);
  }
  return out;
}

}  // namespace

std::string ignoredOptionsNote(const std::vector<std::string_view>& arguments) {
  if (arguments.empty()) return {};
  const auto* command =
      std::find_if(std::begin(kCommands), std::end(kCommands),
                   [&](const CommandOptions& c) { return c.name == arguments[0]; });
  if (command == std::end(kCommands)) return {};
  const std::string name(command->name);
  std::vector<std::string> parts;

  if (command->optionsArgument != 0 && arguments.size() > command->optionsArgument) {
    const std::string_view optionsText = arguments[command->optionsArgument];
    std::u16string options;
    appendUtf16(optionsText, options);
    std::u16string ignored;
    for (char16_t c : options) {
      if (isSeparator(c) || command->letters.find(c) != std::u16string_view::npos) continue;
      if (ignored.find(c) == std::u16string::npos) ignored.push_back(c);
    }
    if (!ignored.empty()) {
      std::string list;
      for (char16_t c : ignored) {
        std::string letter;
        encodeUtf8(std::u16string_view(&c, 1), letter);
        list += (list.empty() ? "" : ", ") + quoted(letter);
      }
      parts.push_back(name + " ignores " + list + " in its options " + quoted(optionsText) +
                      " (Argument" + std::to_string(command->optionsArgument) +
                      "); its letters are " + spaced(command->letters));
    }
  }
  for (std::size_t k = command->lastArgument + 1; k < arguments.size(); ++k) {
    if (arguments[k].empty()) continue;
    std::string part = name + " reads no Argument" + std::to_string(k) + ", so " +
                       quoted(arguments[k]) + " is ignored";
    if (command->optionsArgument == 0) {
      part += " (" + name + " takes no options)";
    } else {
      part += " (its options go in Argument" + std::to_string(command->optionsArgument) + ")";
    }
    parts.push_back(part);
  }
  std::string note;
  for (const std::string& part : parts) note += (note.empty() ? "" : "; ") + part;
  return note;
}

}  // namespace orrery::host
