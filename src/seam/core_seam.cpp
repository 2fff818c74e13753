#include "core_seam.h"

#include "commands/framework/command_table.h"
#include "commands/framework/exceptions.h"
#include "commands/framework/number_conversion.h"
#include "commands/lists/shuffle_n_range.h"
#include "commands/sort/float_conversion.h"
#include "commands/sort/sort_key.h"
#include "encoding/charset_name.h"
#include "encoding/euc_jp.h"
#include "encoding/iso2022_jp.h"
#include "encoding/utf8.h"
#include "encoding/utf8_writer.h"
#include "platform/platform.h"
#include "protocol/char_class.h"

namespace orrery::seam {
namespace {

static_assert(kListSeparator == orrery::kListSeparator && kPairSeparator == orrery::kPairSeparator);
static_assert(kListSeparatorByte == static_cast<char>(orrery::kListSeparator) &&
              kPairSeparatorByte == static_cast<char>(orrery::kPairSeparator));

// The seam's enumerations mirror the core's, value for value.
static_assert(static_cast<int>(Charset::kShiftJis) == static_cast<int>(RequestCharset::kShiftJis) &&
              static_cast<int>(Charset::kUtf8) == static_cast<int>(RequestCharset::kUtf8) &&
              static_cast<int>(Charset::kEucJp) == static_cast<int>(RequestCharset::kEucJp) &&
              static_cast<int>(Charset::kIso2022Jp) ==
                  static_cast<int>(RequestCharset::kIso2022Jp));
static_assert(static_cast<int>(ShuffleNRefusal::kNone) ==
                  static_cast<int>(orrery::ShuffleNRefusal::kNone) &&
              static_cast<int>(ShuffleNRefusal::kEndBelowStart) ==
                  static_cast<int>(orrery::ShuffleNRefusal::kEndBelowStart) &&
              static_cast<int>(ShuffleNRefusal::kStepBelowOne) ==
                  static_cast<int>(orrery::ShuffleNRefusal::kStepBelowOne) &&
              static_cast<int>(ShuffleNRefusal::kNegativeCount) ==
                  static_cast<int>(orrery::ShuffleNRefusal::kNegativeCount) &&
              static_cast<int>(ShuffleNRefusal::kTooMany) ==
                  static_cast<int>(orrery::ShuffleNRefusal::kTooMany));

Charset fromCore(RequestCharset charset) { return static_cast<Charset>(charset); }

}  // namespace

void appendUtf8(std::u16string_view text, std::string& out) { orrery::encodeUtf8(text, out); }

// The tools hold their texts in std::u16string; the core's texts have an allocator of
// their own, so decoded text is appended across.
bool decodeUtf8(std::string_view bytes, std::u16string& out) {
  Text text;
  const bool whole = orrery::decodeUtf8(bytes, text);
  out.append(text);
  return whole;
}

char* writeUtf8Unit(char16_t unit, char* out) { return orrery::writeUtf8(TextView(&unit, 1), out); }

bool isHighSurrogate(char16_t unit) { return orrery::isHighSurrogate(unit); }
bool isLowSurrogate(char16_t unit) { return orrery::isLowSurrogate(unit); }
char32_t surrogatePairCodePoint(char16_t high, char16_t low) {
  return orrery::surrogatePairCodePoint(high, low);
}

Charset charsetNamed(std::string_view name) { return fromCore(orrery::charsetNamed(name)); }

std::optional<Charset> knownCharsetNamed(std::string_view name) {
  const std::optional<RequestCharset> known = orrery::knownCharsetNamed(name);
  return known ? std::optional<Charset>(fromCore(*known)) : std::nullopt;
}

std::string knownCharsetSpellings() { return orrery::knownCharsetSpellings(); }

Charset requestCharset(std::string_view request) {
  constexpr std::string_view kHeader = "\r\nCharset: ";
  const std::size_t header = request.find(kHeader);
  if (header == std::string_view::npos) return Charset::kShiftJis;
  return fromCore(charsetOfValueLine(request.substr(header + kHeader.size())));
}

bool toShiftJis(std::u16string_view text, std::string& out) {
  return platform::utf16ToCp932(text, out);
}

bool fromShiftJis(std::string_view bytes, std::u16string& out) {
  Text text;
  if (!platform::cp932ToUtf16(bytes, text)) return false;
  out.assign(text);
  return true;
}

void eucJpToShiftJis(std::string_view bytes, std::string& out) {
  orrery::eucJpToShiftJis(bytes, out);
}

void iso2022JpToShiftJis(std::string_view bytes, std::string& out) {
  orrery::iso2022JpToShiftJis(bytes, out);
}

void createPrivateLocale() { platform::createPrivateLocale(); }
char16_t decimalPoint() { return platform::decimalPoint(); }
bool isNumberBlank(char16_t c) { return isNumberSpace(c); }

std::optional<std::int64_t> integerValue(std::u16string_view text) {
  try {
    return toInteger(text);
  } catch (const ConvExcep&) {
    return std::nullopt;
  }
}

bool isFloatValue(std::u16string_view text) {
  try {
    toFloat(text);
    return true;
  } catch (const ConvExcep&) {
    return false;
  }
}

const std::vector<CommandShape>& commandShapes() {
  static const std::vector<CommandShape> kShapes = [] {
    std::vector<CommandShape> shapes;
    for (const orrery::CommandShape& c : kCommandShapes) {
      std::string name;
      encodeUtf8(c.name, name);
      shapes.push_back(
          {name, c.listArguments, c.optionsArgument, c.lastArgument, std::u16string(c.letters)});
    }
    return shapes;
  }();
  return kShapes;
}

const CommandShape* findCommandShape(std::string_view name) {
  for (const CommandShape& shape : commandShapes()) {
    if (shape.name == name) return &shape;
  }
  return nullptr;
}

SortKey sortKeyOf(std::u16string_view options) {
  switch (sortKeyKind(options)) {
    case KeyKind::kString:
      return SortKey::kText;
    case KeyKind::kFloat:
      return SortKey::kFloat;
    case KeyKind::kLength:
      return SortKey::kLength;
    case KeyKind::kInteger:
      break;
  }
  return SortKey::kInteger;
}

ShuffleNRange shuffleNRange(std::int64_t end, std::int64_t start, std::int64_t step,
                            std::optional<std::int64_t> count) {
  const ShuffleNDraw draw = shuffleNDraw(end, start, step, count);
  return {draw.count, static_cast<ShuffleNRefusal>(draw.refusal)};
}

std::int64_t shuffleNMaxCount() { return kShuffleNMaxCount; }

}  // namespace orrery::seam
