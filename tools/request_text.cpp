#include "request_text.h"

#include "encoding/charset_name.h"
#include "encoding/utf8.h"
#include "platform/platform.h"

namespace orrery::host {
namespace {

std::optional<unsigned> hexValue(const std::u16string& s, std::size_t at, std::size_t digits) {
  if (at + digits > s.size()) return std::nullopt;
  unsigned v = 0;
  for (std::size_t i = at; i < at + digits; ++i) {
    const char16_t c = s[i];
    v <<= 4;
    if (c >= u'0' && c <= u'9')
      v |= c - u'0';
    else if (c >= u'a' && c <= u'f')
      v |= c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
      v |= c - u'A' + 10;
    else
      return std::nullopt;
  }
  return v;
}

std::u16string toUtf16(const std::string& s) {
  std::u16string out;
  decodeUtf8(s, out);
  return out;
}

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

std::string sjisToEucJp(const std::string& sjis) {
  std::string out;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    if (isCp932ExtensionLead(b) && i + 1 < sjis.size()) {
      out.push_back('?');
      ++i;
    } else if (isSjisLead(b) && i + 1 < sjis.size()) {
      unsigned char j1, j2;
      sjisToJis(b, static_cast<unsigned char>(sjis[++i]), j1, j2);
      out.push_back(static_cast<char>(j1 | 0x80));
      out.push_back(static_cast<char>(j2 | 0x80));
    } else if (b >= 0xA1 && b <= 0xDF) {
      out.push_back(static_cast<char>(0x8E));
      out.push_back(static_cast<char>(b));
    } else {
      out.push_back(b < 0x80 ? static_cast<char>(b) : '?');
    }
  }
  return out;
}

std::string sjisToIso2022Jp(const std::string& sjis) {
  std::string out;
  bool twoByte = false;
  auto mode = [&](bool wantTwoByte) {
    if (twoByte == wantTwoByte) return;
    out += wantTwoByte ? "\x1b$B" : "\x1b(B";
    twoByte = wantTwoByte;
  };
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
      out.push_back(static_cast<char>(j1));
      out.push_back(static_cast<char>(j2));
    } else {
      mode(false);
      out.push_back(b < 0x80 ? static_cast<char>(b) : '?');  // no half-width kana here
    }
  }
  mode(false);
  return out;
}

}  // namespace

std::optional<std::u16string> unescapeArgument(const std::string& word, std::string& error) {
  const std::u16string in = toUtf16(word);
  std::u16string out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] != u'\\') {
      out.push_back(in[i]);
      continue;
    }
    if (++i == in.size()) return error = "a lone backslash ends " + word, std::nullopt;
    switch (in[i]) {
      case u'1':
        out.push_back(u'\x0001');
        break;
      case u'2':
        out.push_back(u'\x0002');
        break;
      case u'\\':
        out.push_back(u'\\');
        break;
      case u't':
        out.push_back(u'\t');
        break;
      case u'n':
        out.push_back(u'\n');
        break;
      case u'r':
        out.push_back(u'\r');
        break;
      case u'x':
      case u'u': {
        const std::size_t digits = in[i] == u'x' ? 2 : 4;
        auto v = hexValue(in, i + 1, digits);
        if (!v) return error = "a \\x needs 2 and a \\u 4 hex digits in " + word, std::nullopt;
        out.push_back(static_cast<char16_t>(*v));
        i += digits;
        break;
      }
      default:
        return error = "unknown escape in " + word, std::nullopt;
    }
  }
  return out;
}

std::u16string versionRequest(const std::string& charset) {
  std::u16string r = u"GET Version SAORI/1.0\r\n";
  if (!charset.empty()) r += u"Charset: " + toUtf16(charset) + u"\r\n";
  return r + u"\r\n";
}

std::u16string executeRequest(const std::vector<std::u16string>& words,
                              const std::string& charset) {
  std::u16string r = u"EXECUTE SAORI/1.0\r\n";
  if (!charset.empty()) r += u"Charset: " + toUtf16(charset) + u"\r\n";
  r += u"Sender: orrery-call\r\n";
  for (std::size_t i = 0; i < words.size(); ++i) {
    r += u"Argument" + toUtf16(std::to_string(i)) + u": " + words[i] + u"\r\n";
  }
  return r + u"\r\n";
}

std::string encodeRequest(const std::u16string& text, const std::string& charset) {
  std::string bytes;
  const RequestCharset kind = charsetNamed(charset);
  if (kind == RequestCharset::kUtf8) {
    encodeUtf8(text, bytes);
    return bytes;
  }
  platform::utf16ToCp932(text, bytes);
  if (kind == RequestCharset::kEucJp) return sjisToEucJp(bytes);
  if (kind == RequestCharset::kIso2022Jp) return sjisToIso2022Jp(bytes);
  return bytes;
}

std::u16string decodeResponse(const std::string& bytes) {
  std::u16string text;
  if (bytes.find("\r\nCharset: UTF-8\r\n") != std::string::npos) {
    decodeUtf8(bytes, text);
  } else {
    platform::cp932ToUtf16(bytes, text);
  }
  return text;
}

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace orrery::host
