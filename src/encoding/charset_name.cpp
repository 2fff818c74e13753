#include "encoding/charset_name.h"

#include <array>
#include <optional>
#include <string_view>
#include <type_traits>

namespace orrery {
namespace {

struct Alias {
  std::string_view folded;  // upper case, "_" written as "-"
  RequestCharset charset;
};

// The Shift_JIS spellings are listed for completeness: every unknown name means code
// page 932 as well.
constexpr std::array kAliases = {
    Alias{"UTF-8", RequestCharset::kUtf8},
    Alias{"UTF8", RequestCharset::kUtf8},
    Alias{"EUC-JP", RequestCharset::kEucJp},
    Alias{"EUCJP", RequestCharset::kEucJp},
    Alias{"ISO-2022-JP", RequestCharset::kIso2022Jp},
    Alias{"SHIFT-JIS", RequestCharset::kShiftJis},
    Alias{"SJIS", RequestCharset::kShiftJis},
    Alias{"CP932", RequestCharset::kShiftJis},
    Alias{"WINDOWS-31J", RequestCharset::kShiftJis},
    Alias{"MS-KANJI", RequestCharset::kShiftJis},
};
constexpr std::size_t kLongestAlias = 11;

constexpr char32_t fold(char32_t c) {
  if (c >= U'a' && c <= U'z') return c - U'a' + U'A';
  if (c == U'_') return U'-';
  return c;
}

constexpr bool isBlank(char32_t c) { return c == U' ' || c == U'\t'; }

template <typename Char>
std::optional<RequestCharset> classify(std::basic_string_view<Char> value) {
  std::size_t size = value.size();
  while (size > 0 && isBlank(static_cast<char32_t>(value[size - 1]))) --size;
  if (size > kLongestAlias) return std::nullopt;
  for (const Alias& alias : kAliases) {
    if (alias.folded.size() != size) continue;
    std::size_t i = 0;
    // Bytes are taken unsigned so that no byte of a multibyte character folds to ASCII.
    using Unit = std::make_unsigned_t<Char>;
    while (i < size &&
           fold(static_cast<Unit>(value[i])) == static_cast<char32_t>(alias.folded[i])) {
      ++i;
    }
    if (i == size) return alias.charset;
  }
  return std::nullopt;
}

}  // namespace

RequestCharset charsetNamed(BytesView value) {
  return classify(value).value_or(RequestCharset::kShiftJis);
}
RequestCharset charsetNamed(TextView value) {
  return classify(value).value_or(RequestCharset::kShiftJis);
}

std::optional<RequestCharset> knownCharsetNamed(BytesView value) { return classify(value); }

std::string knownCharsetSpellings() {
  std::string out;
  for (const Alias& alias : kAliases) {
    if (!out.empty()) out += ", ";
    out += alias.folded;
  }
  return out;
}

RequestCharset charsetOfValueLine(BytesView line) {
  const std::size_t end = line.find("\r\n");
  if (end == BytesView::npos) return RequestCharset::kShiftJis;
  return charsetNamed(line.substr(0, end));
}

}  // namespace orrery
