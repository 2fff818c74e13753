#include "protocol/response_builder.h"

#include <algorithm>

#include "protocol/decimal_format.h"

namespace orrery {
namespace {

constexpr TextView kProtocol = u"SAORI/1.0 ";
constexpr TextView kResultPrefix = u"Result: ";
constexpr TextView kValuePrefix = u"Value";
constexpr TextView kValueSeparator = u": ";
constexpr TextView kLineEnd = u"\r\n";
constexpr std::size_t kMinimumReserve = 1000;
constexpr std::size_t kPrefetchDistance = 16;

TextView statusText(std::int32_t status) {
  switch (status) {
    case SaoriRequest::kOk:
      return u"200 OK\r\n";
    case SaoriRequest::kNoContent:
      return u"204 No Content\r\n";
    case SaoriRequest::kBadRequest:
      return u"400 Bad Request\r\n";
    default:
      return u"500 Internal Server Error\r\n";
  }
}

// Code units of all Value line names: "Value" + index + ": " + CR LF per value.
std::size_t valueLinesOverhead(std::size_t count) {
  std::size_t total = count * (kValuePrefix.size() + kValueSeparator.size() + kLineEnd.size());
  // Digits of 0..count-1: count every index of each digit length.
  for (std::size_t low = 0, high = 10, digits = 1; low < count; low = high, high *= 10, ++digits) {
    total += ((count < high ? count : high) - low) * digits;
  }
  return total;
}

// The line names count up in a decimal counter of their own rather than being
// formatted afresh, and the lines are written through a pointer into text sized once:
// this loop writes most of a large response.
class LineNumber {
 public:
  LineNumber() { std::fill(std::begin(digits_), std::end(digits_), u'0'); }

  TextView text() const { return TextView(digits_ + first_, kWidth - first_); }

  void increment() {
    std::size_t i = kWidth - 1;
    while (digits_[i] == u'9') {
      digits_[i] = u'0';
      if (i == first_) --first_;  // the carry needs one more digit, already a zero
      --i;
    }
    ++digits_[i];
  }

 private:
  static constexpr std::size_t kWidth = 20;  // enough for any 64-bit count
  char16_t digits_[kWidth];
  std::size_t first_ = kWidth - 1;
};

char16_t* put(char16_t* p, TextView text) {
  return text.empty() ? p : std::copy(text.begin(), text.end(), p);
}

void writeValueLines(const ValueList& values, Text& out, std::size_t total) {
  const std::size_t start = out.size();
  out.resize(total);
  char16_t* p = out.data() + start;
  LineNumber number;
  const std::size_t count = values.size();
  for (std::size_t i = 0; i < count; ++i, number.increment()) {
    // Values often view their texts in another order than they were sent (sorted or
    // shuffled items), so fetch a few ahead of the copy.
    if (i + kPrefetchDistance < count) values.prefetchText(i + kPrefetchDistance);
    p = put(p, kValuePrefix);
    p = put(p, number.text());
    p = put(p, kValueSeparator);
    p = put(p, values[i]);
    p = put(p, kLineEnd);
  }
}

}  // namespace

bool buildResponse(SaoriRequest& record, Text& out, std::size_t tailRoom) {
  if (record.status == SaoriRequest::kOk && record.result.empty() && record.values.empty()) {
    record.status = SaoriRequest::kNoContent;
  }
  const TextView status = statusText(record.status);
  std::size_t needed = out.size() + kProtocol.size() + status.size();
  if (record.status == SaoriRequest::kOk) {
    needed += kResultPrefix.size() + record.result.size() + kLineEnd.size() +
              record.values.totalLength() + valueLinesOverhead(record.values.size());
  }
  out.reserve(std::max(needed + tailRoom, kMinimumReserve));

  out.append(kProtocol);
  out.append(status);
  if (record.status != SaoriRequest::kOk) return true;

  out.append(kResultPrefix);
  out.append(record.result);
  out.append(kLineEnd);
  writeValueLines(record.values, out, needed);
  return true;
}

}  // namespace orrery
