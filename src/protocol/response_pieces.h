#pragma once
// The pieces a response is made of, in order, for the writers that encode them in
// different ways (UTF-16, UTF-8). The record's status must be settled first.
#include <algorithm>
#include <iterator>

#include "protocol/saori_request.h"

namespace orrery::response {

inline constexpr TextView kProtocol = u"SAORI/1.0 ";
inline constexpr TextView kResultPrefix = u"Result: ";
inline constexpr TextView kValuePrefix = u"Value";
inline constexpr TextView kValueSeparator = u": ";
inline constexpr TextView kLineEnd = u"\r\n";
inline constexpr std::size_t kPrefetchDistance = 16;

// Constants rather than literals at each return, so that no length is counted at run time.
inline constexpr TextView kStatusOk = u"200 OK\r\n";
inline constexpr TextView kStatusNoContent = u"204 No Content\r\n";
inline constexpr TextView kStatusBadRequest = u"400 Bad Request\r\n";
inline constexpr TextView kStatusInternalError = u"500 Internal Server Error\r\n";

inline TextView statusText(std::int32_t status) {
  switch (status) {
    case SaoriRequest::kOk:
      return kStatusOk;
    case SaoriRequest::kNoContent:
      return kStatusNoContent;
    case SaoriRequest::kBadRequest:
      return kStatusBadRequest;
    default:
      return kStatusInternalError;
  }
}

// The line names count up in a decimal counter of their own rather than being
// formatted afresh: the value lines are most of a large response.
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

// Calls `onPiece(TextView piece, bool ascii)` for every piece of the response, in order;
// `ascii` is true for the protocol's own pieces, which an 8-bit writer may copy as
// they are, and false for the command's texts.
template <typename OnPiece>
void forEachPiece(const SaoriRequest& record, OnPiece&& onPiece) {
  onPiece(kProtocol, true);
  onPiece(statusText(record.status), true);
  if (record.status != SaoriRequest::kOk) return;
  onPiece(kResultPrefix, true);
  onPiece(record.result, false);
  onPiece(kLineEnd, true);
  const ValueList& values = record.values;
  const std::size_t count = values.size();
  LineNumber number;
  for (std::size_t i = 0; i < count; ++i, number.increment()) {
    // Values often view their texts in another order than they were sent (sorted or
    // shuffled items), so fetch a few ahead of the copy.
    if (i + kPrefetchDistance < count) values.prefetchText(i + kPrefetchDistance);
    onPiece(kValuePrefix, true);
    onPiece(number.text(), true);
    onPiece(kValueSeparator, true);
    onPiece(values[i], false);
    onPiece(kLineEnd, true);
  }
}

// Code units of all Value line names: "Value" + index + ": " + CR LF per value.
inline std::size_t valueLinesOverhead(std::size_t count) {
  std::size_t total = count * (kValuePrefix.size() + kValueSeparator.size() + kLineEnd.size());
  // Digits of 0..count-1: count every index of each digit length.
  for (std::size_t low = 0, high = 10, digits = 1; low < count; low = high, high *= 10, ++digits) {
    total += ((count < high ? count : high) - low) * digits;
  }
  return total;
}

}  // namespace orrery::response
