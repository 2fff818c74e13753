#pragma once
// The command reference is written in Markdown; a terminal wants plain text. This is
// the small subset the reference uses: headings, tables, code spans, indented and
// fenced code, lists and paragraphs.
#include <cstddef>
#include <string>
#include <string_view>

namespace orrery::host {

// `markdown` as plain text: headings underlined, tables as aligned columns (or, when
// too wide for `width` columns, one block per row with "header: cell" lines), code
// spans without their backticks (quoted when they begin or end with a blank), code
// blocks unchanged.
std::string markdownToText(std::string_view markdown, std::size_t width = 79);

// One line of Markdown prose with its code spans and links made plain.
std::string plainInline(std::string_view line);

// Terminal columns taken by UTF-8 text: East Asian wide and full-width characters take 2.
std::size_t displayWidth(std::string_view text);

}  // namespace orrery::host
