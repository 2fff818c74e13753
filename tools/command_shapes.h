#pragma once
// What orrery-call knows of each command's arguments: how many lists it needs, where its
// options go and which letters it reads. In the order the reference lists the commands.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orrery::host {

struct CommandShape {
  std::string_view name;
  std::size_t listArguments;    // arguments the module needs after the name
  std::size_t optionsArgument;  // 0: the command takes no options
  std::size_t lastArgument;     // the last argument the command reads
  std::u16string_view letters;  // the option letters it knows
};

inline constexpr CommandShape kCommandShapes[] = {
    {"sort", 1, 2, 2, u"SFLPVAsR"},
    {"shuffle", 1, 0, 1, u""},
    {"shuffle_n", 1, 5, 5, u"s"},
    {"unique", 1, 2, 2, u"VPs"},
    {"make_pair", 2, 3, 3, u"s"},
    {"intersection", 2, 3, 3, u"VPs"},
    {"difference", 2, 3, 3, u"VPs"},
    {"union", 2, 3, 3, u"VPs"},
    {"symmetric_difference", 2, 3, 3, u"VPs"},
};

// The shape of the command named `name`, or null for no command.
const CommandShape* findCommandShape(std::string_view name);

// The nine command names, in the order above.
const std::vector<std::string>& commandNames();

}  // namespace orrery::host
