#pragma once
// What each command reads of a request besides its lists: where its option letters go,
// the last argument it looks at and the letters it knows. The registry holds the
// commands themselves and a test holds this table to it; the commands read their
// letters through optionLetter, so a letter cannot be added to one without the other.
#include <cstdint>

#include "protocol/text.h"

namespace orrery {

struct CommandShape {
  TextView name;
  std::uint32_t listArguments;    // what the command's listArgumentCount() returns
  std::uint32_t optionsArgument;  // the argument its letters go in; 0 for no options
  std::uint32_t lastArgument;     // the last argument it reads
  TextView letters;               // the option letters it knows
};

// In the order the command reference lists them.
inline constexpr CommandShape kCommandShapes[] = {
    {u"sort", 1, 2, 2, u"SFLPVAsR"},
    {u"shuffle", 1, 0, 1, u""},
    {u"shuffle_n", 1, 5, 5, u"s"},
    {u"unique", 1, 2, 2, u"VPs"},
    {u"make_pair", 2, 3, 3, u"s"},
    {u"intersection", 2, 3, 3, u"VPs"},
    {u"difference", 2, 3, 3, u"VPs"},
    {u"union", 2, 3, 3, u"VPs"},
    {u"symmetric_difference", 2, 3, 3, u"VPs"},
};

// The shape of the command named exactly `name`, or null.
constexpr const CommandShape* findCommandShape(TextView name) {
  for (const CommandShape& shape : kCommandShapes) {
    if (shape.name == name) return &shape;
  }
  return nullptr;
}

// `letter`, checked at compile time to be one that the command `name` lists.
consteval char16_t optionLetter(TextView name, char16_t letter) {
  const CommandShape* shape = findCommandShape(name);
  if (shape == nullptr || shape->letters.find(letter) == TextView::npos) {
    throw "the command table does not list this letter for this command";
  }
  return letter;
}

}  // namespace orrery
