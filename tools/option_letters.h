#pragma once
// The option letters each command reads, so that orrery-call can say which letters of a
// request were ignored: the protocol ignores them silently.
#include <string>
#include <string_view>
#include <vector>

namespace orrery::host {

// One line naming what the command Argument0 of `arguments` (UTF-8 texts, Argument0
// first) ignores: letters of its options argument that it does not know, and arguments
// after the last one it reads. Empty when nothing is ignored or the command is unknown.
// Blanks and ASCII punctuation in an options text are taken as separators, not named.
std::string ignoredOptionsNote(const std::vector<std::string_view>& arguments);

}  // namespace orrery::host
