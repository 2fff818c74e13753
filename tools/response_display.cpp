#include "response_display.h"

#include <array>

#include "core_seam.h"

namespace orrery::host {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Bytes that may start something to escape: controls, the backslash, DEL, and the lead
// bytes of the C1 controls (C2) and of surrogates (ED).
constexpr std::array<bool, 256> kMayEscape = [] {
  std::array<bool, 256> t{};
  for (int b = 0; b < 0x20; ++b) t[b] = true;
  t['\\'] = t[0x7F] = t[0xC2] = t[0xED] = true;
  return t;
}();

void appendHex(std::string& out, unsigned value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
    out.push_back(kHex[(value >> shift) & 0xF]);
}

}  // namespace

void OutputSink::flush() {
  if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
  buffer_.clear();
}

void appendShown(std::string& out, std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t run = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char b = p[i];
    if (!kMayEscape[b]) continue;
    if (b == 0xC2 && !(i + 1 < n && p[i + 1] >= 0x80 && p[i + 1] <= 0x9F)) continue;
    if (b == 0xED && !(i + 2 < n && p[i + 1] >= 0xA0)) continue;
    out.append(text.data() + run, i - run);
    switch (b) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case seam::kPairSeparatorByte:
        out += "\\1";
        break;
      case seam::kListSeparatorByte:
        out += "\\2";
        break;
      case 0xC2:
        out += "\\x";
        appendHex(out, p[++i], 2);
        break;
      case 0xED: {
        const unsigned unit = 0xD000u | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu);
        out += "\\u";
        appendHex(out, unit, 4);
        i += 2;
        break;
      }
      default:
        out += "\\x";
        appendHex(out, b, 2);
        break;
    }
    run = i + 1;
  }
  out.append(text.data() + run, n - run);
}

std::string quotedExcerpt(std::string_view text, std::size_t maxBytes) {
  std::string out;
  appendShown(out, text);
  if (out.size() > maxBytes) {
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out = out.substr(0, cut) + "...";
  }
  return "`" + out + "`";
}

namespace {

void showLine(std::string_view text, OutputSink& out) {
  appendShown(out.buffer(), text);
  out.buffer().push_back('\n');
  out.maybeFlush();
}

}  // namespace

void showResponse(std::string_view response, OutputSink& out) {
  while (!response.empty()) {
    const std::size_t end = response.find(kLineEnd);
    showLine(response.substr(0, end), out);
    if (end == std::string_view::npos) break;
    response.remove_prefix(end + kLineEnd.size());
  }
}

void showLines(std::string_view response, OutputSink& out) {
  constexpr std::string_view kOk = "SAORI/1.0 200 ";
  constexpr std::string_view kResult = "Result: ";
  constexpr std::string_view kValue = "Value";
  if (!response.starts_with(kOk)) return;
  response.remove_prefix(response.find(kLineEnd) + kLineEnd.size());
  while (!response.empty()) {
    const std::size_t end = response.find(kLineEnd);
    if (end == std::string_view::npos) break;
    std::string_view line = response.substr(0, end);
    response.remove_prefix(end + kLineEnd.size());
    if (line.starts_with(kResult)) {
      // The Result is a joined list: every item is followed by U+0002.
      line.remove_prefix(kResult.size());
      while (!line.empty()) {
        const std::size_t sep = line.find(seam::kListSeparatorByte);
        showLine(line.substr(0, sep), out);
        if (sep == std::string_view::npos) break;
        line.remove_prefix(sep + 1);
      }
    } else if (line.starts_with(kValue)) {
      const std::size_t colon = line.find(": ");
      if (colon != std::string_view::npos) showLine(line.substr(colon + 2), out);
    }
  }
}

int statusExitCode(std::string_view response) {
  return response.starts_with("SAORI/1.0 2") ? 0 : 1;
}

}  // namespace orrery::host
