#include "protocol/response_builder.h"

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

}  // namespace

bool buildResponse(SaoriRequest& record, Text& out) {
  if (record.status == SaoriRequest::kOk && record.result.empty() && record.values.empty()) {
    record.status = SaoriRequest::kNoContent;
  }
  const TextView status = statusText(record.status);
  std::size_t needed = out.size() + kProtocol.size() + status.size();
  if (record.status == SaoriRequest::kOk) {
    needed += kResultPrefix.size() + record.result.size() + kLineEnd.size() +
              record.values.totalLength() + valueLinesOverhead(record.values.size());
  }
  out.reserve(needed < kMinimumReserve ? kMinimumReserve : needed);

  out.append(kProtocol);
  out.append(status);
  if (record.status != SaoriRequest::kOk) return true;

  out.append(kResultPrefix);
  out.append(record.result);
  out.append(kLineEnd);
  const std::size_t count = record.values.size();
  for (std::size_t i = 0; i < count; ++i) {
    // Values often view their texts in another order than they were sent (sorted or
    // shuffled items), so fetch a few ahead of the copy.
    if (i + kPrefetchDistance < count) record.values.prefetchText(i + kPrefetchDistance);
    out.append(kValuePrefix);
    appendUnsigned(out, i);
    out.append(kValueSeparator);
    out.append(record.values[i]);
    out.append(kLineEnd);
  }
  return true;
}

}  // namespace orrery
