#include "commands/lists/shuffle_n_command.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "commands/framework/command_table.h"
#include "commands/framework/exceptions.h"
#include "commands/framework/number_conversion.h"
#include "commands/framework/options.h"
#include "commands/lists/shuffle_n_range.h"
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

// The positions of a ranged draw: a Fisher–Yates loop over 0 … length − 1 stopped after
// the first `count` places. Place i takes the position at i + draw() mod (length − i), so
// every ordered choice of `count` distinct positions is equally likely (up to the
// remainder's uneven tail). Only the places the loop can touch are held: all of them in
// one array when the range is short, else the front `count` places in an array and the
// others that were swapped out in a small hash table.
class PositionDraw {
 public:
  PositionDraw(std::uint32_t length, std::size_t count)
      : length_(length), count_(count), held_(length <= kDenseFactor * count ? length : count) {
    for (std::size_t i = 0; i < held_.size(); ++i) held_[i] = static_cast<std::uint32_t>(i);
    if (count > 0 && held_.size() < length) {
      // One entry at most per draw, and the table kept at most half full.
      const std::size_t capacity = std::bit_ceil(2 * count);
      table_.assign(capacity, Slot{kEmpty, 0});
      shift_ = 32 - std::countr_zero(capacity);
    }
  }

  // Runs the loop and returns the drawn positions, in order.
  std::span<const std::uint32_t> run(RandomSource& source) {
    // With the whole range returned, the last place keeps what is left: no draw.
    const std::size_t draws = std::min<std::size_t>(count_, length_ == 0 ? 0 : length_ - 1);
    for (std::size_t i = 0; i < draws; ++i) {
      const auto j =
          static_cast<std::uint32_t>(i + source.drawBelow(length_ - static_cast<std::uint32_t>(i)));
      std::swap(held_[i], j < held_.size() ? held_[j] : at(j));
    }
    return std::span<const std::uint32_t>(held_).first(count_);
  }

 private:
  // A short range costs less as one array than as the front plus a table.
  static constexpr std::size_t kDenseFactor = 4;
  // No position reaches 2^32 − 1: the longest range holds 2^32 − 1 values.
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
  struct Slot {
    std::uint32_t position;
    std::uint32_t value;
  };

  // The value at `position` beyond the held places; it holds its own number until moved.
  std::uint32_t& at(std::uint32_t position) {
    const std::size_t mask = table_.size() - 1;
    std::size_t k = static_cast<std::uint32_t>(position * 0x9E3779B1u) >> shift_;
    while (table_[k].position != position) {
      if (table_[k].position == kEmpty) {
        table_[k] = Slot{position, position};
        break;
      }
      k = (k + 1) & mask;
    }
    return table_[k].value;
  }

  std::uint32_t length_;
  std::size_t count_;
  std::vector<std::uint32_t> held_;
  std::vector<Slot> table_;
  int shift_ = 0;
};

}  // namespace

bool ShuffleNCommand::execute(SaoriRequest& record) {
  try {
    const std::int64_t end = toInteger(record.argument(1));
    const std::int64_t start = optionalInteger(record, 2, 0);
    const std::int64_t step = optionalInteger(record, 3, 1);
    const std::optional<TextView> countText = optionalArgument(record, 4);
    const ShuffleNDraw range =
        shuffleNDraw(end, start, step,
                     countText ? std::optional<std::int64_t>(toInteger(*countText)) : std::nullopt);
    if (range.refusal != ShuffleNRefusal::kNone) throw eBadreq{};
    const std::int64_t length = range.length;
    const std::int64_t count = range.count;
    const std::optional<TextView> options = optionalArgument(record, 5);
    const bool joined = options && hasOption(*options, optionLetter(u"shuffle_n", u's'));

    PositionDraw draw(static_cast<std::uint32_t>(length), static_cast<std::size_t>(count));
    const std::span<const std::uint32_t> positions = draw.run(source_);
    if (joined) {
      record.result.reserve(positions.size() * (kMaxDigits + 1));
      for (const std::uint32_t p : positions) {
        appendSigned(record.result, start + std::int64_t{p} * step);
        record.result.push_back(kListSeparator);
      }
    } else {
      record.values.reserveAdditional(positions.size(), positions.size() * kMaxDigits);
      Text digits;
      for (const std::uint32_t p : positions) {
        digits.clear();
        appendSigned(digits, start + std::int64_t{p} * step);
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
