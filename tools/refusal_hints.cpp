#include "refusal_hints.h"

#include <cctype>
#include <algorithm>
#include <cstdint>
#include <optional>

#include "commands/framework/exceptions.h"
#include "commands/framework/number_conversion.h"
#include "commands/sort/float_conversion.h"
#include "encoding/utf8.h"
#include "protocol/char_class.h"
#include "response_display.h"

namespace orrery::host {
namespace {

constexpr std::int64_t kMaxShuffleCount = std::int64_t{1} << 24;
constexpr std::size_t kShownLength = 60;

std::size_t listArgumentCount(const std::string& command) {
  return command == "sort" || command == "shuffle" || command == "shuffle_n" || command == "unique"
             ? 1
             : 2;
}

std::string shown(std::u16string_view text) {
  std::string bytes, out;
  encodeUtf8(text, bytes);
  appendShown(out, bytes);
  if (out.size() > kShownLength) {
    std::size_t cut = kShownLength;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out = out.substr(0, cut) + "...";
  }
  return "`" + out + "`";
}

std::string asciiCommand(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x80) return {};
    out.push_back(static_cast<char>(c));
  }
  return out;
}

bool endsInBlank(std::u16string_view text) { return !text.empty() && isNumberSpace(text.back()); }

template <typename Convert>
bool converts(std::u16string_view text, Convert convert) {
  try {
    convert(text);
    return true;
  } catch (const ConvExcep&) {
    return false;
  }
}

bool isInteger(std::u16string_view text) {
  return converts(text, [](std::u16string_view t) { return toInteger(t); });
}

std::string joinedNames() {
  std::string out;
  for (const std::string& name : commandNames()) out += (out.empty() ? "" : ", ") + name;
  return out;
}

std::string sortHint(const std::vector<std::u16string>& words, char16_t decimalPoint) {
  const std::u16string_view options = words.size() > 2 ? std::u16string_view(words[2]) : u"";
  if (options.find(u'S') != std::u16string_view::npos) return {};
  const bool isFloat = options.find(u'F') != std::u16string_view::npos;
  if (!isFloat && options.find(u'L') != std::u16string_view::npos) return {};
  std::u16string_view list = words[1];
  std::size_t index = 0;
  while (!list.empty()) {
    const std::size_t sep = list.find(u'\x0002');
    const std::u16string_view item = list.substr(0, sep);
    const std::u16string_view key = item.substr(0, item.find(u'\x0001'));
    const bool ok =
        isFloat ? converts(key, [](std::u16string_view t) { return toFloat(t); }) : isInteger(key);
    if (!ok) {
      std::string where = "item " + std::to_string(index + 1) + " " + shown(key);
      if (endsInBlank(key))
        return "sort: the key of " + where + " ends in a blank, which a number may not";
      if (isFloat) {
        std::string point;
        encodeUtf8(std::u16string_view(&decimalPoint, 1), point);
        return "sort F: the key of " + where + " is not a number (the decimal point here is `" +
               point + "`, read from the locale's LC_NUMERIC)";
      }
      return "sort has integer keys by default; the key of " + where +
             " is not an integer (add S for text keys)";
    }
    if (sep == std::u16string_view::npos) break;
    list.remove_prefix(sep + 1);
    ++index;
  }
  return {};
}

std::size_t itemCount(std::u16string_view list) {
  std::size_t count = 0;
  for (char16_t c : list) count += c == u'\x0002';
  return count + (!list.empty() && list.back() != u'\x0002');
}

std::string shuffleNHint(const std::vector<std::u16string>& words) {
  // Optional arguments count only when the request carries more than their number.
  auto argument = [&](std::size_t k) -> const std::u16string* {
    return words.size() > k && !words[k].empty() ? &words[k] : nullptr;
  };
  static constexpr const char* kNames[] = {"", "end", "start", "step", "count"};
  for (std::size_t k = 1; k <= 4; ++k) {
    const std::u16string* text = k == 1 ? &words[1] : argument(k);
    if (text == nullptr || isInteger(*text)) continue;
    std::string what = std::string("shuffle_n: the ") + kNames[k] + " (Argument" +
                       std::to_string(k) + ") " + shown(*text);
    return what +
           (endsInBlank(*text) ? " ends in a blank, which a number may not" : " is not an integer");
  }
  auto value = [&](std::size_t k, std::int64_t fallback) {
    const std::u16string* text = k == 1 ? &words[1] : argument(k);
    return text == nullptr ? fallback : static_cast<std::int64_t>(toInteger(*text));
  };
  const std::int64_t end = value(1, 0), start = value(2, 0), step = value(3, 1);
  if (end < start) {
    return "shuffle_n: the end " + std::to_string(end) + " is below the start " +
           std::to_string(start);
  }
  if (step < 1) return "shuffle_n: the step " + std::to_string(step) + " is below 1";
  const std::int64_t limit = (end - start) / step;
  const std::int64_t count = value(4, limit);
  if (count < 0) return "shuffle_n: the count " + std::to_string(count) + " is negative";
  if (std::min(count, limit) > kMaxShuffleCount) {
    return "shuffle_n: " + std::to_string(std::min(count, limit)) +
           " values asked for, more than one answer holds (2^24 = 16777216)";
  }
  return {};
}

}  // namespace

const std::vector<std::string>& commandNames() {
  static const std::vector<std::string> kNames = {
      "sort",       "shuffle", "shuffle_n",           "unique", "make_pair", "intersection",
      "difference", "union",   "symmetric_difference"};
  return kNames;
}

bool refusalDependsOnContent(const std::vector<std::string>& words) {
  if (words.size() < 2) return false;
  if (words[0] == "shuffle_n" || words[0] == "make_pair") return true;
  if (words[0] != "sort") return false;
  // Text and length keys never fail; options from a file are not known yet.
  const std::string options = words.size() > 2 ? words[2] : "";
  if (options.starts_with('@')) return true;
  const bool text = options.find('S') != std::string::npos;
  const bool length =
      options.find('L') != std::string::npos && options.find('F') == std::string::npos;
  return !text && !length;
}

std::string refusalHint(const std::vector<std::u16string>& words, char16_t decimalPoint) {
  if (words.empty()) return {};
  const std::string command = asciiCommand(words[0]);
  bool known = false;
  std::string sameLetters;
  for (const std::string& name : commandNames()) {
    known = known || name == command;
    if (name.size() == command.size() &&
        std::equal(name.begin(), name.end(), command.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) ==
                 std::tolower(static_cast<unsigned char>(b));
        })) {
      sameLetters = name;
    }
  }
  if (!known) {
    const std::string head = "no command named " + shown(words[0]);
    if (!sameLetters.empty()) return head + "; commands are case-sensitive: " + joinedNames();
    return head + "; commands are: " + joinedNames();
  }
  const std::size_t needed = listArgumentCount(command);
  if (words.size() <= needed) {
    return command + " needs " + std::to_string(needed) +
           (needed == 1 ? " argument" : " arguments") + " after its name; the request has " +
           std::to_string(words.size() - 1);
  }
  if (command == "sort") return sortHint(words, decimalPoint);
  if (command == "shuffle_n") return shuffleNHint(words);
  if (command == "make_pair") {
    const std::size_t first = itemCount(words[1]), second = itemCount(words[2]);
    if (first != second) {
      return "make_pair: the first list has " + std::to_string(first) + " items, the second " +
             std::to_string(second) + "; they must be of equal length";
    }
  }
  return {};
}

}  // namespace orrery::host
