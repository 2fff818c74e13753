#include "protocol/request_parser.h"

#include "protocol/char_class.h"

namespace orrery {
namespace {

constexpr TextView kArgumentPrefix = u"Argument";

void completeHeader(const Text& name, TextView value, SaoriRequest& record) {
  if (name.starts_with(kArgumentPrefix)) {
    if (auto number = scanArgumentNumber(TextView(name).substr(kArgumentPrefix.size()))) {
      record.arguments[*number] = Text(value);
    }
  } else if (name == u"Sender") {
    record.sender = value;
  } else if (name == u"SecurityLevel") {
    record.securityLevel = value;
  } else if (name == u"Charset") {
    record.charset = value;
  }
}

}  // namespace

std::optional<std::uint32_t> scanArgumentNumber(TextView text) {
  bool negative = false;
  std::size_t i = skipNumberPrefix(text, negative);
  if (i == text.size() || !isAsciiDigit(text[i])) return std::nullopt;
  constexpr std::uint64_t kMax = 0xFFFFFFFFu;
  std::uint64_t value = 0;
  for (; i < text.size() && isAsciiDigit(text[i]); ++i) {
    value = value * 10 + static_cast<std::uint64_t>(text[i] - u'0');
    if (value > kMax) value = kMax + 1;  // saturated; keeps reading the digits
  }
  if (value > kMax) return static_cast<std::uint32_t>(kMax);
  auto result = static_cast<std::uint32_t>(value);
  return negative ? static_cast<std::uint32_t>(0u - result) : result;
}

bool parse(Text text, SaoriRequest& record) {
  record.rawText = std::move(text);
  const TextView in(record.rawText);

  enum class State { kRequestLine, kHeaderName, kHeaderValue };
  State state = State::kRequestLine;
  Text name;
  bool pendingCr = false;
  bool pendingColon = false;
  std::size_t valueStart = 0;
  std::size_t lastCr = 0;

  for (std::size_t i = 0; i < in.size(); ++i) {
    const char16_t c = in[i];
    switch (state) {
      case State::kRequestLine:
        if (pendingCr) {
          pendingCr = false;
          if (c == u'\n') state = State::kHeaderName;
          // any other unit after a lone CR is dropped
        } else if (c == u'\r') {
          pendingCr = true;
        } else {
          record.requestLine.push_back(c);
        }
        break;

      case State::kHeaderName:
        if (pendingColon) {
          pendingColon = false;
          if (c == u' ') {
            valueStart = i + 1;
            state = State::kHeaderValue;
          } else {
            name.push_back(u':');
            name.push_back(c);
          }
        } else if (pendingCr) {
          pendingCr = false;
          if (c == u'\n' && name.empty()) return true;
          name.push_back(c);
        } else if (c == u':') {
          pendingColon = true;
        } else if (c == u'\r') {
          pendingCr = true;
        } else {
          name.push_back(c);
        }
        break;

      case State::kHeaderValue:
        if (pendingCr) {
          pendingCr = false;
          if (c == u'\n') {
            completeHeader(name, in.substr(valueStart, lastCr - valueStart), record);
            name.clear();
            state = State::kHeaderName;
          }
        } else if (c == u'\r') {
          pendingCr = true;
          lastCr = i;
        } else {
          // Value units are taken by position later, so skip straight to the next CR:
          // long list arguments pass here at the speed of a search.
          const std::size_t cr = in.find(u'\r', i);
          if (cr == TextView::npos) return false;
          i = cr - 1;
        }
        break;
    }
  }
  return false;
}

}  // namespace orrery
