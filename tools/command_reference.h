#pragma once
// The command reference, docs/commands.md, built into the tool so that --help and
// help COMMAND print the same text the documentation holds.
#include <string>
#include <string_view>

namespace orrery::host {

// The whole reference (Markdown).
std::string_view commandReference();

// The section of one command, from its heading to the next; empty for an unknown name.
std::string_view commandSection(std::string_view name);

// For each command: its synopsis and its one-line summary, indented for --help.
std::string commandSummaries();

}  // namespace orrery::host
