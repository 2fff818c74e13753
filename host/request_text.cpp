#include "request_text.h"

#include "core_seam.h"

namespace orrery::host {
namespace {

// Shift_JIS double byte to its JIS X 0208 row/cell bytes (the inverse of the arithmetic
// mapping the module applies).
void sjisToJis(unsigned char s1, unsigned char s2, unsigned char& j1, unsigned char& j2) {
  j1 = static_cast<unsigned char>(((s1 - (s1 >= 0xE0 ? 0xC1 : 0x81)) << 1) + 0x21);
  if (s2 >= 0x9F) {
    ++j1;
    j2 = static_cast<unsigned char>(s2 - 0x7E);
  } else {
    j2 = static_cast<unsigned char>(s2 - (s2 >= 0x80 ? 0x20 : 0x1F));
  }
}

bool isSjisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF); }
// Code page 932's own rows (user-defined and IBM extensions) have no JIS X 0208 code:
// the pair becomes one '?', and its trail byte, which may be ASCII, is not let through.
bool isCp932ExtensionLead(unsigned char b) { return b >= 0xF0 && b <= 0xFC; }

// Shift_JIS re-encoded as EUC-JP or, with `iso`, as ISO-2022-JP, which has no
// half-width kana.
std::string reencodeShiftJis(const std::string& sjis, bool iso) {
  std::string out;
  bool twoByte = false;
  auto mode = [&](bool wantTwoByte) {
    if (!iso || twoByte == wantTwoByte) return;
    out += wantTwoByte ? "\x1b$B" : "\x1b(B";
    twoByte = wantTwoByte;
  };
  const unsigned char high = iso ? 0 : 0x80;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    if (isCp932ExtensionLead(b) && i + 1 < sjis.size()) {
      mode(false);
      out.push_back('?');
      ++i;
    } else if (isSjisLead(b) && i + 1 < sjis.size()) {
      unsigned char j1, j2;
      sjisToJis(b, static_cast<unsigned char>(sjis[++i]), j1, j2);
      mode(true);
      out.push_back(static_cast<char>(j1 | high));
      out.push_back(static_cast<char>(j2 | high));
    } else if (!iso && b >= 0xA1 && b <= 0xDF) {
      out.push_back(static_cast<char>(0x8E));
      out.push_back(static_cast<char>(b));
    } else {
      mode(false);
      out.push_back(b < 0x80 ? static_cast<char>(b) : '?');
    }
  }
  mode(false);
  return out;
}

}  // namespace

void beginRequest(std::string& out, std::string_view requestLine, std::string_view charset,
                  std::string_view sender) {
  out.append(requestLine).append(kLineEnd);
  if (!charset.empty()) out.append("Charset: ").append(charset).append(kLineEnd);
  if (!sender.empty()) out.append("Sender: ").append(sender).append(kLineEnd);
}

std::size_t beginArgument(std::string& out, std::size_t number) {
  out.append("Argument").append(std::to_string(number)).append(": ");
  return out.size();
}

void endRequest(std::string& out) { out.append(kLineEnd); }

std::string executeRequest(const std::vector<std::string_view>& arguments, std::string_view charset,
                           std::string_view sender) {
  std::string out;
  beginRequest(out, kExecuteLine, charset, sender);
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    beginArgument(out, i);
    out.append(arguments[i]).append(kLineEnd);
  }
  endRequest(out);
  return out;
}

std::string versionRequest(std::string_view charset) {
  std::string out;
  beginRequest(out, kVersionLine, charset, {});
  endRequest(out);
  return out;
}

std::string encodeRequest(const std::u16string& text, const std::string& charset) {
  std::string bytes;
  const seam::Charset kind = seam::charsetNamed(charset);
  if (kind == seam::Charset::kUtf8) {
    seam::appendUtf8(text, bytes);
    return bytes;
  }
  seam::toShiftJis(text, bytes);
  if (kind == seam::Charset::kEucJp || kind == seam::Charset::kIso2022Jp) {
    return reencodeShiftJis(bytes, kind == seam::Charset::kIso2022Jp);
  }
  return bytes;
}

std::u16string decodeResponse(const std::string& bytes) {
  std::u16string text;
  if (bytes.find("\r\nCharset: UTF-8\r\n") != std::string::npos) {
    seam::decodeUtf8(bytes, text);
  } else {
    seam::fromShiftJis(bytes, text);
  }
  return text;
}

}  // namespace orrery::host
