#include "command_shapes.h"

#include <algorithm>
#include <iterator>

namespace orrery::host {

const CommandShape* findCommandShape(std::string_view name) {
  const auto* shape = std::find_if(std::begin(kCommandShapes), std::end(kCommandShapes),
                                   [&](const CommandShape& c) { return c.name == name; });
  return shape == std::end(kCommandShapes) ? nullptr : shape;
}

const std::vector<std::string>& commandNames() {
  static const std::vector<std::string> kNames = [] {
    std::vector<std::string> names;
    for (const CommandShape& c : kCommandShapes) names.emplace_back(c.name);
    return names;
  }();
  return kNames;
}

}  // namespace orrery::host
