#include "charset_loss.h"

#include <unordered_map>

#include "core_seam.h"
#include "list_input.h"
#include "request_text.h"
#include "response_display.h"

namespace orrery::host {
namespace {

// What the module reads back from the tool's encoding of `character` alone: the
// tool's encoder, then the module's own path from that charset to UTF-16.
std::u16string roundTrip(const std::u16string& character, const std::string& charset) {
  std::string bytes = encodeRequest(character, charset);
  std::string sjis;
  switch (seam::charsetNamed(charset)) {
    case seam::Charset::kEucJp:
      seam::eucJpToShiftJis(bytes, sjis);
      break;
    case seam::Charset::kIso2022Jp:
      seam::iso2022JpToShiftJis(bytes, sjis);
      break;
    default:
      sjis = std::move(bytes);
  }
  std::u16string back;
  seam::fromShiftJis(sjis, back);
  return back;
}

}  // namespace

CharsetLoss findCharsetLoss(const std::vector<std::string_view>& arguments,
                            const std::string& charset, std::size_t kept) {
  CharsetLoss loss;
  if (seam::charsetNamed(charset) == seam::Charset::kUtf8) return loss;
  std::unordered_map<char32_t, bool> kept932;  // by code point: survives the round trip
  std::u16string text;
  for (std::size_t a = 0; a < arguments.size(); ++a) {
    text.clear();
    appendUtf16(arguments[a], text);
    std::size_t item = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char16_t c = text[i];
      if (c == seam::kListSeparator) ++item;
      if (c < 0x80) continue;  // ASCII passes every charset unchanged
      const bool pair =
          seam::isHighSurrogate(c) && i + 1 < text.size() && seam::isLowSurrogate(text[i + 1]);
      const std::u16string character = text.substr(i, pair ? 2 : 1);
      const char32_t key = pair ? seam::surrogatePairCodePoint(c, text[i + 1]) : c;
      i += pair ? 1 : 0;
      auto [found, added] = kept932.try_emplace(key, false);
      if (added) found->second = roundTrip(character, charset) == character;
      if (found->second) continue;
      if (++loss.count <= kept) {
        LostCharacter lost{a, item, {}};
        appendShown(lost.character, toUtf8(character));
        loss.first.push_back(std::move(lost));
      }
    }
  }
  return loss;
}

std::string charsetLossWarning(const CharsetLoss& loss, const std::string& charset) {
  if (loss.count == 0) return {};
  const bool one = loss.count == 1;
  // --entry 8 without --charset sends no Charset header: the module reads Shift_JIS.
  std::string out = (charset.empty() ? std::string("Shift_JIS") : charset) + " cannot carry " +
                    std::to_string(loss.count) + (one ? " character" : " characters") +
                    " of this request; the module receives " + (one ? "it" : "them") +
                    " changed (mostly as `?`): ";
  for (std::size_t k = 0; k < loss.first.size(); ++k) {
    const LostCharacter& lost = loss.first[k];
    out += (k == 0 ? "`" : ", `") + lost.character + "` in Argument" +
           std::to_string(lost.argument) + " item " + std::to_string(lost.item + 1);
  }
  out += loss.count > loss.first.size() ? ", ..." : "";
  return out + " (items counted from 1: with --lines, the line number). UTF-8 keeps " +
         (one ? "it" : "them") + ": --charset UTF-8";
}

}  // namespace orrery::host
