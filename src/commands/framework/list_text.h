#pragma once
// The list convention: items separated by ListSeparator inside one argument text, and
// the joined form written into Result (every item followed by one ListSeparator).
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "protocol/text.h"
#include "protocol/unit_search.h"
#include "protocol/value_list.h"

namespace orrery {

namespace list_text_detail {

// The top bit of each of the four code units at `p` that equals `mark` or `other`: a
// unit's xor with a mark is 0 only when it is the mark.
inline std::uint64_t markLanes(const char16_t* p, char16_t mark, char16_t other) {
  constexpr std::uint64_t kOnes = 0x0001000100010001u;
  std::uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return zeroLanes(w ^ (mark * kOnes)) | zeroLanes(w ^ (other * kOnes));
}

}  // namespace list_text_detail

// Positions in `text` of the code units equal to `mark` or `other`, passed in order to
// `onMark(std::size_t)`. Positions are gathered a block at a time without a branch per
// item: where items end is unpredictable, and a loop branching on every separator would
// mispredict at nearly every item. Eight units are tested at once (four where the
// machine has no SSE2), and the first mark among them is taken without a branch; a
// second is rare unless items are very short.
template <typename OnMark>
void forEachMark(TextView text, char16_t mark, char16_t other, OnMark&& onMark) {
  constexpr std::size_t kBlock = 256;
  std::uint32_t found[kBlock];
  const char16_t* const data = text.data();
  for (std::size_t block = 0; block < text.size(); block += kBlock) {
    const std::size_t end = text.size() - block < kBlock ? text.size() : block + kBlock;
    std::size_t n = 0;
    std::size_t i = block;
#ifdef ORRERY_SSE2
    // Eight units at a time where the machine compares them at once.
    const __m128i marks = _mm_set1_epi16(static_cast<short>(mark));
    const __m128i others = _mm_set1_epi16(static_cast<short>(other));
    for (; end - i >= 8; i += 8) {
      unsigned bits = equalUnits(data + i, marks) | equalUnits(data + i, others);
      const auto at = static_cast<std::uint32_t>(i - block);
      const int bit = std::countr_zero(bits | 1u << 16);
      found[n] = at + static_cast<std::uint32_t>(bit / 2);
      n += bits != 0 ? 1 : 0;
      bits &= bits - 1;
      for (; bits != 0; bits &= bits - 1) {
        found[n++] = at + static_cast<std::uint32_t>(std::countr_zero(bits) / 2);
      }
    }
#endif
    // The lanes of a word lie in memory order from its low end on little-endian machines.
    if constexpr (std::endian::native == std::endian::little) {
      for (; end - i >= 4; i += 4) {
        std::uint64_t lanes = list_text_detail::markLanes(data + i, mark, other);
        const auto at = static_cast<std::uint32_t>(i - block);
        // The count is never asked of 0, so it needs no test for it; n stays when
        // there is no mark.
        const int bit = std::countr_zero(lanes | std::uint64_t{1} << 63);
        found[n] = at + static_cast<std::uint32_t>(bit / 16);
        n += lanes != 0 ? 1 : 0;
        lanes &= lanes - 1;
        for (; lanes != 0; lanes &= lanes - 1) {
          found[n++] = at + static_cast<std::uint32_t>(std::countr_zero(lanes) / 16);
        }
      }
    }
    for (; i < end; ++i) {
      found[n] = static_cast<std::uint32_t>(i - block);
      n += data[i] == mark || data[i] == other ? 1 : 0;
    }
    for (std::size_t k = 0; k < n; ++k) onMark(block + found[k]);
  }
}

// Calls `onItem(TextView)` for each item of `text`. Every separator ends an item, an
// empty one included; what follows the last separator is an item only when non-empty.
template <typename OnItem>
void forEachListItem(TextView text, OnItem&& onItem) {
  std::size_t start = 0;
  forEachMark(text, kListSeparator, kListSeparator, [&](std::size_t at) {
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
