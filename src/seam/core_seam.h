#pragma once
// The seam between orrery-call and the module's core. The tool is a host: it loads the
// built module and sends it requests. What else it takes from the core comes through
// here and nowhere else: the codecs, the charset names, and the rules it explains
// refusals by, which are the very functions the commands refuse by. This header holds no
// core type, so nothing of the core's internals reaches the tool's files.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orrery::seam {

// The list format's separators, as code units and as the bytes UTF-8 gives them.
inline constexpr char16_t kListSeparator = u'\x0002';
inline constexpr char16_t kPairSeparator = u'\x0001';
inline constexpr char kListSeparatorByte = '\x02';
inline constexpr char kPairSeparatorByte = '\x01';

// --- The module's UTF-8 codec ---
// Appends the UTF-8 form of `text` (a lone surrogate as its three bytes) to `out`.
void appendUtf8(std::u16string_view text, std::string& out);
// Appends the module's decoding of `bytes` to `out`; false when it stopped at a
// malformed sequence. A leading byte-order mark is skipped, as the module skips it.
bool decodeUtf8(std::string_view bytes, std::u16string& out);
// Writes one code unit (a surrogate too) as UTF-8 at `out` and returns the end: at most
// three bytes.
char* writeUtf8Unit(char16_t unit, char* out);
bool isHighSurrogate(char16_t unit);
bool isLowSurrogate(char16_t unit);
char32_t surrogatePairCodePoint(char16_t high, char16_t low);

// --- Charsets of the 8-bit entry ---
enum class Charset { kShiftJis, kUtf8, kEucJp, kIso2022Jp };
// The charset a Charset value names, in any spelling the module reads; Shift_JIS for
// any other name, as the module reads it.
Charset charsetNamed(std::string_view name);
// The same, empty for a name the module does not know.
std::optional<Charset> knownCharsetNamed(std::string_view name);
// Every spelling the module reads, for messages ("UTF-8, UTF8, ...").
std::string knownCharsetSpellings();
// The charset the module reads a raw 8-bit request in: by its first Charset header.
Charset requestCharset(std::string_view request);
// Code page 932, as the module converts it. Both return false for an empty input.
bool toShiftJis(std::u16string_view text, std::string& out);
bool fromShiftJis(std::string_view bytes, std::u16string& out);
// The module's converters to Shift_JIS, appended to `out`.
void eucJpToShiftJis(std::string_view bytes, std::string& out);
void iso2022JpToShiftJis(std::string_view bytes, std::string& out);

// --- The numbers the commands read ---
// The module's private locale for the user's settings, and its decimal point.
void createPrivateLocale();
char16_t decimalPoint();
// A blank a number may lead with (and may not end with).
bool isNumberBlank(char16_t c);
// The integer an argument or key reads as, empty when the command refuses the text.
std::optional<std::int64_t> integerValue(std::u16string_view text);
// Whether `text` reads as a float key with the private locale's decimal point.
bool isFloatValue(std::u16string_view text);

// --- The commands ---
struct CommandShape {
  std::string name;
  std::size_t listArguments;    // arguments the module needs after the name
  std::size_t optionsArgument;  // the argument the letters go in; 0: the command takes none
  std::size_t lastArgument;     // the last argument the command reads
  std::u16string letters;       // the option letters it knows
};
// Every command, in the order of the reference.
const std::vector<CommandShape>& commandShapes();
// The command named exactly `name`, or null.
const CommandShape* findCommandShape(std::string_view name);

// sort's key kind for an options text: the letter that wins decides.
enum class SortKey { kText, kFloat, kLength, kInteger };
SortKey sortKeyOf(std::u16string_view options);

// shuffle_n's range rules for converted arguments; no `count` means all.
enum class ShuffleNRefusal { kNone, kEndBelowStart, kStepBelowOne, kNegativeCount, kTooMany };
struct ShuffleNRange {
  std::int64_t count = 0;  // values the answer would hold
  ShuffleNRefusal refusal = ShuffleNRefusal::kNone;
};
ShuffleNRange shuffleNRange(std::int64_t end, std::int64_t start, std::int64_t step,
                            std::optional<std::int64_t> count);
// The most values a shuffle_n answer holds.
std::int64_t shuffleNMaxCount();

}  // namespace orrery::seam
