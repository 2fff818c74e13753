#include "refusal_hints.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "core_seam.h"
#include "list_input.h"
#include "response_display.h"

namespace orrery::host {
namespace {

constexpr std::size_t kShownLength = 60;

std::string shown(std::u16string_view text) { return quotedExcerpt(toUtf8(text), kShownLength); }

bool endsInBlank(std::u16string_view text) {
  return !text.empty() && seam::isNumberBlank(text.back());
}

bool isInteger(std::u16string_view text) { return seam::integerValue(text).has_value(); }

std::string joinedNames() {
  std::string out;
  for (const seam::CommandShape& c : seam::commandShapes())
    out += (out.empty() ? "" : ", ") + c.name;
  return out;
}

// Whether `text` is a float key with `point` as its decimal point: the text is mapped
// onto the point the conversion reads, so hints can be worked out for any locale.
bool isFloat(std::u16string_view text, char16_t point) {
  const char16_t own = seam::decimalPoint();
  std::u16string mapped(text);
  for (char16_t& c : mapped) c = c == point ? own : c == own ? u'x' : c;
  return seam::isFloatValue(mapped);
}

bool hasFullWidthDigit(std::u16string_view text) {
  for (char16_t c : text) {
    if (c >= u'\xFF10' && c <= u'\xFF19') return true;
  }
  return false;
}

std::string utf8(char16_t c) { return toUtf8(std::u16string_view(&c, 1)); }

// Items are numbered from 1 in every message, and the message says so, since the A
// option numbers positions from 0.
std::string itemLabel(std::size_t index) {
  return "item " + std::to_string(index + 1) + " (counted from 1)";
}

std::string sortHint(const std::vector<std::u16string>& words, const NumericLocale& locale) {
  const seam::SortKey key = seam::sortKeyOf(words.size() > 2 ? std::u16string_view(words[2]) : u"");
  if (key == seam::SortKey::kText || key == seam::SortKey::kLength) return {};
  const bool floatKeys = key == seam::SortKey::kFloat;
  const std::string point =
      "the decimal point here is `" + utf8(locale.decimalPoint) + "`, from " + locale.source;
  std::u16string_view list = words[1];
  std::size_t index = 0;
  while (!list.empty()) {
    const std::size_t sep = list.find(seam::kListSeparator);
    const std::u16string_view item = list.substr(0, sep);
    const std::u16string_view key = item.substr(0, item.find(seam::kPairSeparator));
    if (!(floatKeys ? isFloat(key, locale.decimalPoint) : isInteger(key))) {
      const std::string where = itemLabel(index) + " " + shown(key);
      if (endsInBlank(key))
        return "sort: the key of " + where + " ends in a blank, which a number may not";
      if (hasFullWidthDigit(key)) {
        return "sort: the key of " + where +
               " holds full-width digits; numbers take only the ASCII digits 0-9 (add S for "
               "text keys)";
      }
      // The other common decimal point, for a key written under another locale.
      const char16_t other = locale.decimalPoint == u',' ? u'.' : u',';
      const bool otherPoint = key.find(other) != std::u16string_view::npos && isFloat(key, other);
      if (floatKeys) {
        return "sort F: the key of " + where + " is not a number (" + point +
               (otherPoint ? "; this key is written with `" + utf8(other) + "`)" : ")");
      }
      if (isFloat(key, locale.decimalPoint)) {
        return "sort has integer keys by default; the key of " + where +
               " is a decimal number (add F for float keys)";
      }
      if (otherPoint) {
        return "sort has integer keys by default; the key of " + where +
               " is a decimal number written with `" + utf8(other) + "` (F reads float keys, but " +
               point + ")";
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
  for (char16_t c : list) count += c == seam::kListSeparator;
  return count + (!list.empty() && list.back() != seam::kListSeparator);
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
    return text == nullptr ? fallback : *seam::integerValue(*text);
  };
  const std::int64_t end = value(1, 0), start = value(2, 0), step = value(3, 1);
  const std::optional<std::int64_t> count =
      argument(4) == nullptr ? std::nullopt : std::optional<std::int64_t>(value(4, 0));
  const seam::ShuffleNRange range = seam::shuffleNRange(end, start, step, count);
  switch (range.refusal) {
    case seam::ShuffleNRefusal::kEndBelowStart:
      return "shuffle_n: the end " + std::to_string(end) + " is below the start " +
             std::to_string(start);
    case seam::ShuffleNRefusal::kStepBelowOne:
      return "shuffle_n: the step " + std::to_string(step) + " is below 1";
    case seam::ShuffleNRefusal::kNegativeCount:
      return "shuffle_n: the count " + std::to_string(*count) + " is negative";
    case seam::ShuffleNRefusal::kTooMany:
      return "shuffle_n: the answer would hold " + std::to_string(range.count) +
             " values, more than 2^24 (" + std::to_string(seam::shuffleNMaxCount()) + ")";
    case seam::ShuffleNRefusal::kNone:
      break;
  }
  return {};
}

}  // namespace

std::string numericLocaleSource(const std::function<const char*(const char*)>& environment) {
#ifdef _WIN32
  (void)environment;
  return "the user's regional settings";
#else
  // The order the C library reads them in: LC_ALL wins, then LC_NUMERIC, then LANG.
  for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* value = environment(name);
    if (value != nullptr && *value != '\0') return std::string(name) + "=" + value;
  }
  return "the C locale (LC_ALL, LC_NUMERIC and LANG are unset)";
#endif
}

bool refusalDependsOnContent(const std::vector<std::string>& words) {
  if (words.size() < 2) return false;
  if (words[0] == "shuffle_n" || words[0] == "make_pair") return true;
  if (words[0] != "sort") return false;
  // Text and length keys never fail; options from a file are not known yet.
  const std::string options = words.size() > 2 ? words[2] : "";
  if (options.starts_with('@')) return true;
  std::u16string letters;
  seam::decodeUtf8(options, letters);
  const seam::SortKey key = seam::sortKeyOf(letters);
  return key != seam::SortKey::kText && key != seam::SortKey::kLength;
}

std::string refusalHint(const std::vector<std::u16string>& words, const NumericLocale& locale) {
  if (words.empty()) return {};
  const std::string command = toUtf8(words[0]);
  if (seam::findCommandShape(command) == nullptr) {
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    const auto sameLetters = [&](const seam::CommandShape& c) {
      return std::ranges::equal(c.name, command, {}, lower, lower);
    };
    const bool caseOnly = std::ranges::any_of(seam::commandShapes(), sameLetters);
    return "no command named " + shown(words[0]) +
           (caseOnly ? "; commands are case-sensitive: " : "; commands are: ") + joinedNames();
  }
  const std::size_t needed = seam::findCommandShape(command)->listArguments;
  if (words.size() <= needed) {
    return command + " needs " + std::to_string(needed) +
           (needed == 1 ? " argument" : " arguments") + " after its name; the request has " +
           std::to_string(words.size() - 1);
  }
  if (command == "sort") return sortHint(words, locale);
  if (command == "shuffle_n") return shuffleNHint(words);
  if (command == "make_pair") {
    const std::size_t first = itemCount(words[1]), second = itemCount(words[2]);
    if (first != second) {
      return "make_pair: the first list has " + std::to_string(first) +
             (first == 1 ? " item" : " items") + ", the second " + std::to_string(second) +
             "; they must be of equal length";
    }
  }
  return {};
}

}  // namespace orrery::host
