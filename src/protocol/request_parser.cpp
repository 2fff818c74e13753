#include "protocol/request_parser.h"

#include "protocol/char_class.h"
#include "protocol/unit_search.h"

namespace orrery {
namespace {

constexpr TextView kArgumentPrefix = u"Argument";

// The header name read so far. It is a slice of the text until a dropped CR splits it;
// only then is it copied, so ordinary names cost nothing.
class HeaderName {
 public:
  explicit HeaderName(TextView text) : text_(text) {}

  void startAt(std::size_t i) {
    start_ = end_ = i;
    copied_ = false;
    copy_.clear();
  }
  // Appends the units from position i up to, not including, j.
  void appendRange(std::size_t i, std::size_t j) {
    if (!copied_ && i == end_) {
      end_ = j;
      return;
    }
    for (; i < j; ++i) append(i);
  }
  // Appends the unit at position i.
  void append(std::size_t i) {
    if (!copied_ && i == end_) {
      ++end_;
      return;
    }
    if (!copied_) {
      copy_.assign(text_.substr(start_, end_ - start_));
      copied_ = true;
    }
    copy_.push_back(text_[i]);
  }
  bool empty() const { return copied_ ? copy_.empty() : start_ == end_; }
  TextView view() const { return copied_ ? TextView(copy_) : text_.substr(start_, end_ - start_); }

 private:
  TextView text_;
  std::size_t start_ = 0;
  std::size_t end_ = 0;
  bool copied_ = false;
  Text copy_;
};

void completeHeader(TextView name, TextView value, SaoriRequest& record) {
  if (startsWith(name, kArgumentPrefix)) {
    if (auto number = scanArgumentNumber(name.substr(kArgumentPrefix.size()))) {
      record.arguments.add(*number, value);
    }
  } else if (sameUnits(name, u"Sender")) {
    record.sender = value;
  } else if (sameUnits(name, u"SecurityLevel")) {
    record.securityLevel = value;
  } else if (sameUnits(name, u"Charset")) {
    record.charset = value;
  }
}

// Reads the request line; returns the position after its line end, or npos when the
// text ends first. The line loses every CR and the unit after a lone one.
std::size_t readRequestLine(TextView in, SaoriRequest& record) {
  const std::size_t cr = findUnit(in, u'\r');
  if (cr == TextView::npos) {
    record.requestLine = in;
    return TextView::npos;
  }
  if (cr + 1 < in.size() && in[cr + 1] == u'\n') {
    record.requestLine = in.substr(0, cr);
    return cr + 2;
  }
  Text line(in.substr(0, cr));
  bool pendingCr = true;
  std::size_t i = cr + 1;
  for (; i < in.size(); ++i) {
    const char16_t c = in[i];
    if (pendingCr) {
      pendingCr = false;
      if (c == u'\n') break;
      // any other unit after a lone CR is dropped
    } else if (c == u'\r') {
      pendingCr = true;
    } else {
      line.push_back(c);
    }
  }
  record.requestLine = record.keep(std::move(line));
  return i < in.size() ? i + 1 : TextView::npos;
}

// The header lines from `start` on; true when the empty line that closes them came.
bool readHeaders(TextView in, std::size_t start, SaoriRequest& record) {
  enum class State { kHeaderName, kHeaderValue };
  State state = State::kHeaderName;
  HeaderName name(in);
  name.startAt(start);
  bool pendingCr = false;
  bool pendingColon = false;
  std::size_t valueStart = 0;
  std::size_t lastCr = 0;

  for (std::size_t i = start; i < in.size(); ++i) {
    const char16_t c = in[i];
    switch (state) {
      case State::kHeaderName:
        if (pendingColon) {
          pendingColon = false;
          if (c == u' ') {
            valueStart = i + 1;
            state = State::kHeaderValue;
          } else {
            name.append(i - 1);  // the colon
            name.append(i);
          }
        } else if (pendingCr) {
          pendingCr = false;
          if (c == u'\n' && name.empty()) return true;
          name.append(i);
        } else if (c == u':') {
          pendingColon = true;
        } else if (c == u'\r') {
          pendingCr = true;
        } else {
          // The plain units up to the next colon or CR join the name at once.
          std::size_t j = i + 1;
          while (j < in.size() && in[j] != u':' && in[j] != u'\r') ++j;
          name.appendRange(i, j);
          i = j - 1;
        }
        break;

      case State::kHeaderValue:
        if (pendingCr) {
          pendingCr = false;
          if (c == u'\n') {
            completeHeader(name.view(), in.substr(valueStart, lastCr - valueStart), record);
            name.startAt(i + 1);
            state = State::kHeaderName;
          }
        } else if (c == u'\r') {
          pendingCr = true;
          lastCr = i;
        } else {
          // Value units are taken by position later, so skip straight to the next CR:
          // long list arguments pass here at the speed of a search.
          const std::size_t cr = findUnit(in, u'\r', i);
          if (cr == TextView::npos) return false;
          i = cr - 1;
        }
        break;
    }
  }
  return false;
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
  const std::size_t headers = readRequestLine(in, record);
  const bool closed = headers != TextView::npos && readHeaders(in, headers, record);
  record.arguments.settle();
  return closed;
}

}  // namespace orrery
