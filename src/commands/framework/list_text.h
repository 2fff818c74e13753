#pragma once
// The list convention: items separated by ListSeparator inside one argument text, and
// the joined form written into Result (every item followed by one ListSeparator).
#include <cstdint>
#include <vector>

#include "protocol/text.h"
#include "protocol/value_list.h"

namespace orrery {

// Positions in `text` of the code units `isMark` accepts, passed in order to
// `onMark(std::size_t)`. Positions are gathered a block at a time without a branch per
// code unit: where items end is unpredictable, and a loop branching on every separator
// would mispredict at nearly every item.
template <typename IsMark, typename OnMark>
void forEachMark(TextView text, IsMark&& isMark, OnMark&& onMark) {
  constexpr std::size_t kBlock = 256;
  std::uint32_t found[kBlock];
  const char16_t* const data = text.data();
  for (std::size_t block = 0; block < text.size(); block += kBlock) {
    const std::size_t end = text.size() - block < kBlock ? text.size() : block + kBlock;
    std::size_t n = 0;
    for (std::size_t i = block; i < end; ++i) {
      found[n] = static_cast<std::uint32_t>(i - block);
      n += isMark(data[i]) ? 1 : 0;
    }
    for (std::size_t k = 0; k < n; ++k) onMark(block + found[k]);
  }
}

// Calls `onItem(TextView)` for each item of `text`. Every separator ends an item, an
// empty one included; what follows the last separator is an item only when non-empty.
template <typename OnItem>
void forEachListItem(TextView text, OnItem&& onItem) {
  std::size_t start = 0;
  forEachMark(
      text, [](char16_t c) { return c == kListSeparator; },
      [&](std::size_t at) {
        onItem(text.substr(start, at - start));
        start = at + 1;
      });
  if (start < text.size()) onItem(text.substr(start));
}

// The items of a list text a batch at a time, for walking two lists side by side
// without holding either one whole. Items as forEachListItem delivers them.
class ListItemBatches {
 public:
  explicit ListItemBatches(TextView text) : text_(text) {}
  // Fills `out` with up to `capacity` next items, views into the text; returns how many,
  // 0 once the list is exhausted.
  std::size_t next(TextView* out, std::size_t capacity);

 private:
  TextView text_;
  std::size_t start_ = 0;  // where the next item starts
  std::size_t scan_ = 0;   // where the search for the next separator resumes
};

// Number of items forEachListItem would deliver.
std::size_t countListItems(TextView text);

// Appends the items of `text` to `list`. The views point into `text`.
void splitList(TextView text, std::vector<TextView>& list);
// Appends the items of `text` to `list` as views: `text` must outlive the list (a
// request argument does).
void splitList(TextView text, ValueList& list);

// Writes items into a result text in the joined form. Never clears the target, so
// two lists written through it follow one another.
class ListJoiner {
 public:
  explicit ListJoiner(Text& target) : target_(target) {}
  ListJoiner& operator=(TextView item) {
    target_.append(item);
    target_.push_back(kListSeparator);
    return *this;
  }
  // Output-iterator shape, so standard algorithms can write through it.
  ListJoiner& operator*() { return *this; }
  ListJoiner& operator++() { return *this; }
  ListJoiner& operator++(int) { return *this; }

 private:
  Text& target_;
};

}  // namespace orrery
