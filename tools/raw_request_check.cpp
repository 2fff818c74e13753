#include "raw_request_check.h"

#include "core_seam.h"
#include "list_input.h"

namespace orrery::host {
namespace {

constexpr char16_t kReplacement = u'\xFFFD';
constexpr char16_t kDefaultCharacter = u'\x30FB';    // code page 932's for an unassigned pair
constexpr std::string_view kMiddleDot = "\x81\x45";  // U+30FB's own bytes

std::string byteAt(std::string_view request, std::size_t offset) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto b = static_cast<unsigned char>(request[offset]);
  return std::string("byte 0x") + kHex[b >> 4] + kHex[b & 15] + " at offset " +
         std::to_string(offset);
}

bool isShiftJisLead(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

struct Undecoded {
  std::size_t offset = std::string_view::npos;
  char16_t readAs = 0;
};

// The first character that code page 932 does not decode, and what it gives instead.
Undecoded firstUndecodedShiftJis(std::string_view bytes) {
  std::u16string text;
  if (!seam::fromShiftJis(bytes, text)) return {};
  if (text.find(kReplacement) == std::u16string::npos &&
      text.find(kDefaultCharacter) == std::u16string::npos) {
    return {};
  }
  for (std::size_t i = 0; i < bytes.size();) {
    const bool pair = isShiftJisLead(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size();
    const std::string_view piece = bytes.substr(i, pair ? 2 : 1);
    text.clear();
    seam::fromShiftJis(piece, text);
    if (text.find(kReplacement) != std::u16string::npos) return {i, kReplacement};
    if (text == std::u16string(1, kDefaultCharacter) && piece != kMiddleDot) {
      return {i, kDefaultCharacter};
    }
    i += piece.size();
  }
  return {};
}

}  // namespace

std::string undecodableByteNote(std::string_view request) {
  switch (seam::requestCharset(request)) {
    case seam::Charset::kUtf8: {
      std::u16string text;
      const std::size_t bad = firstInvalidUtf8(request);
      if (seam::decodeUtf8(request, text) || bad == std::string_view::npos) return {};
      return byteAt(request, bad) +
             " of the request is not UTF-8: the module stops reading there, so the request "
             "has no end and is refused";
    }
    case seam::Charset::kShiftJis: {
      const Undecoded bad = firstUndecodedShiftJis(request);
      if (bad.offset == std::string_view::npos) return {};
      return byteAt(request, bad.offset) + " of the request is not Shift_JIS: the module reads " +
             (bad.readAs == kReplacement ? "it as U+FFFD, which a Shift_JIS answer carries as `?`"
                                         : "it as U+30FB (a middle dot)");
    }
    default:
      return {};
  }
}

std::string lineEndHint(std::string_view request, bool wide) {
  bool lfAlone = false;
  char16_t previous = 0;
  const std::size_t step = wide ? 2 : 1;
  for (std::size_t i = 0; i + step <= request.size() && !lfAlone; i += step) {
    char16_t c = static_cast<unsigned char>(request[i]);
    if (wide) c = static_cast<char16_t>(c | static_cast<unsigned char>(request[i + 1]) << 8);
    lfAlone = c == u'\n' && previous != u'\r';
    previous = c;
  }
  if (!lfAlone) return {};
  return "the request's lines end in LF alone; every line of a request ends in CR LF, and "
         "an empty line (CR LF) ends the request";
}

}  // namespace orrery::host
