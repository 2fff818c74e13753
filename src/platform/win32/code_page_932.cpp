#include <windows.h>

#include <algorithm>
#include <climits>

#include "platform/platform.h"

namespace orrery::platform {
namespace {

constexpr UINT kCodePage = 932;
// The most bytes converted at once through the stack.
constexpr int kPiece = 4096;

// A byte below 0x40 is a character of its own, never half of a double byte: the place
// after it is where the text may be cut into pieces that convert as the whole would.
bool endsCharacter(char b) { return static_cast<unsigned char>(b) < 0x40; }

// Converts [p, p + n) and appends it to `text`; false on failure.
bool appendConverted(const char* p, std::size_t n, Text& text) {
  const int inLength = static_cast<int>(n);
  if (inLength <= kPiece) {  // on the stack: each byte gives at most one code unit
    wchar_t chunk[kPiece];
    const int written = MultiByteToWideChar(kCodePage, 0, p, inLength, chunk, kPiece);
    if (written <= 0) return false;
    text.append(reinterpret_cast<const char16_t*>(chunk), static_cast<std::size_t>(written));
    return true;
  }
  const int needed = MultiByteToWideChar(kCodePage, 0, p, inLength, nullptr, 0);
  if (needed <= 0) return false;
  const std::size_t start = text.size();
  text.resize(start + static_cast<std::size_t>(needed));
  const int written = MultiByteToWideChar(kCodePage, 0, p, inLength,
                                          reinterpret_cast<wchar_t*>(text.data() + start), needed);
  if (written <= 0) return false;
  text.resize(start + static_cast<std::size_t>(written));
  return true;
}

}  // namespace

// Flags 0 and no default-character arguments: the code page's own replacement and
// default characters stand for what does not map. The text is converted a piece of up
// to 4,096 bytes at a time into room reserved for it, never filled first, and each byte
// is converted once: sizing the text exactly would take a measuring pass of its own.
bool cp932ToUtf16(std::string_view bytes, Text& out) {
  if (bytes.empty() || bytes.size() > INT_MAX) return false;
  Text text;
  text.reserve(bytes.size());
  const char* const p = bytes.data();
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    // The piece ends after the last cutting place within kPiece bytes, or else after the
    // first one beyond (a long run of double bytes), or at the end.
    std::size_t end = std::min(n, i + kPiece);
    if (end < n) {
      std::size_t cut = end;
      while (cut > i && !endsCharacter(p[cut - 1])) --cut;
      if (cut == i) {
        while (end < n && !endsCharacter(p[end - 1])) ++end;
      } else {
        end = cut;
      }
    }
    if (!appendConverted(p + i, end - i, text)) return false;
    i = end;
  }
  if (text.empty()) return false;
  out = std::move(text);
  return true;
}

std::size_t utf16ToCp932(std::u16string_view text, char* out) noexcept {
  if (text.empty() || text.size() > INT_MAX / 2) return 0;
  const auto* in = reinterpret_cast<const wchar_t*>(text.data());
  const int inLength = static_cast<int>(text.size());
  const int written =
      WideCharToMultiByte(kCodePage, 0, in, inLength, out, 2 * inLength, nullptr, nullptr);
  return written > 0 ? static_cast<std::size_t>(written) : 0;
}

// The Win32 conversions keep nothing between calls.
void releaseCodePage() noexcept {}

}  // namespace orrery::platform
