#include "option_letters.h"

#include "core_seam.h"
#include "list_input.h"
#include "response_display.h"

namespace orrery::host {
namespace {

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
  const seam::CommandShape* command = seam::findCommandShape(arguments[0]);
  if (command == nullptr) return {};
  const std::string name(command->name);
  std::vector<std::string> parts;

  if (command->optionsArgument != 0 && arguments.size() > command->optionsArgument) {
    const std::string_view optionsText = arguments[command->optionsArgument];
    std::u16string options;
    appendUtf16(optionsText, options);
    std::u16string ignored;
    for (char16_t c : options) {
      if (isSeparator(c) || command->letters.find(c) != std::u16string::npos) continue;
      if (ignored.find(c) == std::u16string::npos) ignored.push_back(c);
    }
    if (!ignored.empty()) {
      std::string list;
      for (char16_t c : ignored) {
        list += (list.empty() ? "" : ", ") + quoted(toUtf8(std::u16string_view(&c, 1)));
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
