#include "markdown_text.h"

#include <algorithm>
#include <vector>

namespace orrery::host {
namespace {

using Row = std::vector<std::string>;

char32_t nextCodePoint(std::string_view text, std::size_t& i) {
  const auto b = static_cast<unsigned char>(text[i]);
  const std::size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
  char32_t cp = length == 1 ? b : b & (0x7F >> length);
  for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
    cp = cp << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  i += length;
  return cp;
}

bool isWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
         (c >= 0x3041 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
}

std::string trim(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  return std::string(text.substr(begin, text.find_last_not_of(' ') - begin + 1));
}

// The cells of a table line; pipes inside code spans and written \| do not split.
Row cellsOf(std::string_view line) {
  Row cells;
  std::string cell;
  bool code = false;
  for (std::size_t i = 1; i < line.size(); ++i) {  // past the leading pipe
    const char c = line[i];
    if (c == '`') code = !code;
    if (c == '\\' && i + 1 < line.size() && line[i + 1] == '|') {
      cell += '|';  // escaped in a table, code spans included
      ++i;
    } else if (c == '|' && !code) {
      cells.push_back(plainInline(trim(cell)));
      cell.clear();
    } else {
      cell += c;
    }
  }
  if (!trim(cell).empty()) cells.push_back(plainInline(trim(cell)));
  return cells;
}

bool isDelimiterRow(std::string_view line) {
  return line.find_first_not_of("|:- ") == std::string_view::npos;
}

std::string padded(const std::string& text, std::size_t width) {
  return text + std::string(width - std::min(width, displayWidth(text)), ' ');
}

// Breaks `text` at blanks into lines of at most `width` columns (a longer word stands
// alone).
std::vector<std::string> wrapped(const std::string& text, std::size_t width) {
  std::vector<std::string> lines(1);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    std::string& line = lines.back();
    if (!line.empty() && displayWidth(line) + 1 + displayWidth(word) > width) {
      lines.push_back(word);
    } else {
      line += (line.empty() ? "" : " ") + word;
    }
    start = end + 1;
  }
  return lines;
}

void appendTable(const std::vector<Row>& rows, std::size_t width, std::string& out) {
  std::size_t columns = 0;
  for (const Row& row : rows) columns = std::max(columns, row.size());
  std::vector<std::size_t> widths(columns, 0);
  for (const Row& row : rows) {
    for (std::size_t k = 0; k < row.size(); ++k)
      widths[k] = std::max(widths[k], displayWidth(row[k]));
  }
  // Aligned columns, the last one wrapped, when it keeps a useful width.
  std::size_t indent = 2;  // where the last column starts
  for (std::size_t k = 0; k + 1 < columns; ++k) indent += widths[k] + 2;
  constexpr std::size_t kNarrowest = 24;
  if (columns > 0 && indent + kNarrowest <= width) {
    const std::size_t last = std::min(widths[columns - 1], width - indent);
    for (std::size_t r = 0; r < rows.size(); ++r) {
      std::string line = "  ";
      for (std::size_t k = 0; k + 1 < columns; ++k)
        line += padded(k < rows[r].size() ? rows[r][k] : "", widths[k]) + "  ";
      const std::string tail = rows[r].size() == columns ? rows[r].back() : "";
      const std::vector<std::string> parts = wrapped(tail, last);
      for (std::size_t p = 0; p < parts.size(); ++p) {
        std::string text = (p == 0 ? line : std::string(indent, ' ')) + parts[p];
        out += text.substr(0, text.find_last_not_of(' ') + 1) + "\n";
      }
      if (r == 0) {  // the header, underlined
        std::string rule = "  ";
        for (std::size_t k = 0; k < columns; ++k)
          rule += std::string(k + 1 == columns ? last : widths[k], '-') + "  ";
        out += rule.substr(0, rule.find_last_not_of(' ') + 1) + "\n";
      }
    }
    return;
  }
  // Too wide: the first cell of each row, then "header: cell" for the others.
  for (std::size_t r = 1; r < rows.size(); ++r) {
    out += "  " + (rows[r].empty() ? std::string() : rows[r][0]) + "\n";
    for (std::size_t k = 1; k < rows[r].size(); ++k) {
      if (rows[r][k].empty()) continue;
      const std::string header = k < rows[0].size() ? rows[0][k] : "";
      out += "      " + (header.empty() ? "" : header + ": ") + rows[r][k] + "\n";
    }
  }
}

}  // namespace

std::size_t displayWidth(std::string_view text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) width += isWide(nextCodePoint(text, i)) ? 2 : 1;
  return width;
}

std::string plainInline(std::string_view line) {
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '`') {
      const std::size_t close = line.find('`', i + 1);
      if (close != std::string_view::npos) {
        const std::string_view code = line.substr(i + 1, close - i - 1);
        // A span that begins or ends with a blank keeps it visible in quotes.
        const bool quote = code.empty() || code.front() == ' ' || code.back() == ' ';
        if (quote) out += '"';
        out += code;
        if (quote) out += '"';
        i = close;
        continue;
      }
    }
    if (c == '\\' && i + 1 < line.size() && line[i + 1] == '|') continue;
    if (c == '[') {  // [text](target) -> text (target)
      const std::size_t mid = line.find("](", i);
      const bool link = mid != std::string_view::npos && line.find(']', i) == mid;
      const std::size_t end = link ? line.find(')', mid) : std::string_view::npos;
      if (end != std::string_view::npos) {
        const std::string_view text = line.substr(i + 1, mid - i - 1);
        const std::string_view target = line.substr(mid + 2, end - mid - 2);
        out += plainInline(text) + (text == target ? "" : " (" + std::string(target) + ")");
        i = end;
        continue;
      }
    }
    if (c == '*' && i + 1 < line.size() && line[i + 1] == '*') {
      ++i;  // bold markers
      continue;
    }
    out += c;
  }
  return out;
}

std::string markdownToText(std::string_view markdown, std::size_t width) {
  std::string out;
  std::vector<Row> table;
  bool fenced = false;
  auto flushTable = [&] {
    if (!table.empty()) appendTable(table, width, out);
    table.clear();
  };
  while (!markdown.empty()) {
    const std::size_t eol = markdown.find('\n');
    std::string_view line = markdown.substr(0, eol);
    markdown.remove_prefix(eol == std::string_view::npos ? markdown.size() : eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with("```")) {
      fenced = !fenced;
      continue;
    }
    if (fenced || line.starts_with("    ") || line.starts_with("\t")) {
      flushTable();
      out += std::string(line) + "\n";
      continue;
    }
    if (line.starts_with("|")) {
      if (!isDelimiterRow(line)) table.push_back(cellsOf(line));
      continue;
    }
    flushTable();
    if (line.starts_with("#")) {
      const std::string title = plainInline(trim(line.substr(line.find_first_not_of('#'))));
      const char rule = line.starts_with("##") ? '-' : '=';
      out += title + "\n" + std::string(displayWidth(title), rule) + "\n";
      continue;
    }
    out += plainInline(line) + "\n";
  }
  flushTable();
  return out;
}

}  // namespace orrery::host
