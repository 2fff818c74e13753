#pragma once
// Keyed list reading: items separated by ListSeparator, each split at its first
// PairSeparator into a first part (the key text) and a second part.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "commands/framework/exceptions.h"
#include "protocol/text.h"

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
    const char16_t* const data = list_.data();
    const auto size = static_cast<std::uint32_t>(list_.size());
    std::uint32_t position = 0;
    std::uint32_t i = 0;
    while (i < size) {
      const std::uint32_t start = i;
      while (i < size && data[i] != kListSeparator && data[i] != kPairSeparator) ++i;
      KeyedItem item{start, i - start, 0, position};
      if (i < size && data[i] == kPairSeparator) {
        const std::uint32_t secondStart = ++i;
        while (i < size && data[i] != kListSeparator) ++i;
        item.secondLength = i - secondStart;
      } else if (i == size && item.firstLength == 0) {
        break;  // nothing after the last separator
      }
      onItem(item);
      ++position;
      ++i;  // past the ListSeparator (or past the end)
    }
    return position;
  }

  // A bound on the number of items, for reserving: one per separator, plus one.
  std::size_t itemBound() const {
    return static_cast<std::size_t>(std::count(list_.begin(), list_.end(), kListSeparator)) + 1;
  }

  TextView list() const { return list_; }

 private:
  TextView list_;
};

}  // namespace orrery
