#pragma once
// Keyed list reading: items separated by ListSeparator, each split at its first
// PairSeparator into a first part (the key text) and a second part.
#include <cstdint>
#include <limits>

#include "commands/framework/exceptions.h"
#include "commands/framework/list_text.h"
#include "protocol/text.h"
#include "protocol/unit_search.h"

namespace orrery {

// One item, as offsets into the list text it was read from. The second part starts
// one code unit after the first part when the item has a PairSeparator; without one
// its length is 0.
struct KeyedItem {
  std::uint32_t offset;
  std::uint32_t firstLength;
  std::uint32_t secondLength;
  std::uint32_t position;  // among all delivered items, from 0

  TextView first(TextView list) const { return list.substr(offset, firstLength); }
  TextView second(TextView list) const {
    return secondLength == 0 ? TextView() : list.substr(offset + firstLength + 1, secondLength);
  }
};

class KeyedListReader {
 public:
  // Items are kept as 32-bit offsets; a longer list text is refused with ConvExcep.
  explicit KeyedListReader(TextView list) : list_(list) {
    if (list.size() > std::numeric_limits<std::uint32_t>::max()) throw ConvExcep{};
  }

  // Calls `onItem(const KeyedItem&)` for every item in reading order. Every
  // ListSeparator ends an item, an empty one included; the text after the last one is
  // an item when its first part is not empty or it holds a PairSeparator. Returns the
  // number of items delivered.
  template <typename OnItem>
  std::uint32_t read(OnItem&& onItem) const {
    constexpr std::uint32_t kNoPair = std::numeric_limits<std::uint32_t>::max();
    std::uint32_t position = 0;
    std::uint32_t start = 0;
    std::uint32_t pairAt = kNoPair;  // the current item's first PairSeparator
    const auto deliver = [&](std::uint32_t end) {
      KeyedItem item{start, 0, 0, position};
      if (pairAt == kNoPair) {
        item.firstLength = end - start;
      } else {
        item.firstLength = pairAt - start;
        item.secondLength = end - pairAt - 1;
      }
      onItem(item);
      ++position;
    };
    forEachMark(list_, kListSeparator, kPairSeparator, [&](std::size_t at) {
      const auto i = static_cast<std::uint32_t>(at);
      if (list_[at] == kListSeparator) {
        deliver(i);
        start = i + 1;
        pairAt = kNoPair;
      } else if (pairAt == kNoPair) {
        pairAt = i;
      }
    });
    // A tail after the last separator is an item: its first part is not empty, or it
    // holds a PairSeparator.
    if (start < list_.size()) deliver(static_cast<std::uint32_t>(list_.size()));
    return position;
  }

  // A bound on the number of items, for reserving: one per separator, plus one.
  std::size_t itemBound() const { return countUnit(list_, kListSeparator) + 1; }

  TextView list() const { return list_; }

 private:
  TextView list_;
};

}  // namespace orrery
