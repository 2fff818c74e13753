#include "commands/lists/shuffle_n_command.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "commands/framework/exceptions.h"
#include "commands/framework/number_conversion.h"
#include "commands/framework/options.h"
#include "protocol/decimal_format.h"

namespace orrery {
namespace {

constexpr std::size_t kMaxDigits = 11;  // "-2147483648"

// An optional argument is looked at only when the request carries more arguments than
// its number. Looking adds it when absent, so the next look-up counts it too. Null
// when it was not looked at or is empty: the caller's default applies.
std::optional<TextView> optionalArgument(SaoriRequest& record, std::uint32_t number) {
  if (record.argumentCount() <= number) return std::nullopt;
  const TextView text = record.argument(number);
  return text.empty() ? std::nullopt : std::optional<TextView>(text);
}

std::int64_t optionalInteger(SaoriRequest& record, std::uint32_t number, std::int64_t fallback) {
  const std::optional<TextView> text = optionalArgument(record, number);
  return text ? toInteger(*text) : fallback;
}

// The first `count` values of the sequence start, start + step, … (`length` values)
// after the permutation loop has run over all of it, without holding the sequence.
//
// At step k the element at k has not moved yet (every earlier partner lay below an
// earlier k), so it is still start + k × step; it goes down to r, and what was at r goes
// up to k. An element that has gone up only ever goes up again. So once k reaches
// `count`, the front positions change only when r lands among them, and then they
// receive the value of position k. The draws and swaps are those of the whole loop.
std::vector<std::int32_t> permutedPrefix(RandomSource& source, std::int64_t start,
                                         std::int64_t step, std::size_t length, std::size_t count) {
  // One spare slot takes the writes meant for positions at or beyond `count`.
  std::vector<std::int32_t> front(count + 1);
  for (std::size_t i = 0; i < count; ++i) {
    front[i] = static_cast<std::int32_t>(start + static_cast<std::int64_t>(i) * step);
  }
  const std::size_t swapped = std::min(count, length);
  permute(source, swapped, [&](std::size_t k, std::size_t r) { std::swap(front[k], front[r]); });
  const std::size_t first = std::max<std::size_t>(swapped, 1);
  std::int64_t value = start + static_cast<std::int64_t>(first) * step;
  for (std::size_t k = first; k < length; ++k) {
    const std::size_t r = source.drawBelow(k);
    front[r < count ? r : count] = static_cast<std::int32_t>(value);
    value += step;
  }
  front.pop_back();
  return front;
}

}  // namespace

bool ShuffleNCommand::execute(SaoriRequest& record) {
  try {
    // 64-bit arithmetic: the difference of two 32-bit values, and the value after the
    // last one, may leave the 32-bit range.
    const std::int64_t end = toInteger(record.argument(1));
    const std::int64_t start = optionalInteger(record, 2, 0);
    const std::int64_t step = optionalInteger(record, 3, 1);
    if (end < start) throw eBadreq{};
    if (step < 1) throw eBadreq{};
    const std::int64_t limit = (end - start) / step;
    // One value more than limit when step does not divide end − start.
    const std::int64_t length = (end - start + step - 1) / step;
    if (length > kMaxSequenceLength) throw eBadreq{};
    std::int64_t count = optionalInteger(record, 4, limit);
    if (count < 0) throw eBadreq{};
    count = std::min(count, limit);
    const std::optional<TextView> options = optionalArgument(record, 5);
    const bool joined = options && hasOption(*options, u's');

    const std::vector<std::int32_t> values = permutedPrefix(
        source_, start, step, static_cast<std::size_t>(length), static_cast<std::size_t>(count));
    if (joined) {
      record.result.reserve(values.size() * (kMaxDigits + 1));
      for (const std::int32_t v : values) {
        appendSigned(record.result, v);
        record.result.push_back(kListSeparator);
      }
    } else {
      record.values.reserveAdditional(values.size(), values.size() * kMaxDigits);
      Text digits;
      for (const std::int32_t v : values) {
        digits.clear();
        appendSigned(digits, v);
        record.values.push_back(digits);
      }
    }
    return true;
  } catch (const ConvExcep&) {
  } catch (const eBadreq&) {
  }
  record.status = SaoriRequest::kBadRequest;
  return false;
}

}  // namespace orrery
