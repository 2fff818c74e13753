#pragma once
// The Values of a response: an ordered list of texts. A value is either a view of text
// that outlives the list (a request argument of the same record) or a copy kept in the
// list's own storage, which grows in chunks that never move. So a command writing
// a million values makes a handful of allocations, and one that returns items of its
// arguments copies no text at all.
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "protocol/prefetch.h"
#include "protocol/text.h"

namespace orrery {

class ValueList {
 public:
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  TextView operator[](std::size_t i) const { return entries_[i]; }

  // Appends a copy of `value`.
  void push_back(TextView value) {
    char16_t* p = allocate(value.size());
    value.copy(p, value.size());
    entries_.emplace_back(p, value.size());
  }

  // Appends `value` itself, without copying: its text must stay unchanged for as long
  // as the list exists (a request argument, which lives as long as the record).
  void pushView(TextView value) { entries_.push_back(value); }

  // Appends a value written in two pieces with a separator between them, without a
  // temporary: the Pair form of the list commands.
  void pushJoined(TextView first, char16_t separator, TextView second) {
    const std::size_t length = first.size() + 1 + second.size();
    char16_t* p = allocate(length);
    first.copy(p, first.size());
    p[first.size()] = separator;
    second.copy(p + first.size() + 1, second.size());
    entries_.emplace_back(p, length);
  }

  // Exchanges two values in place; only their positions in the list move.
  void swap(std::size_t i, std::size_t j) { std::swap(entries_[i], entries_[j]); }

  // Hints that value i is about to be swapped (for loops that visit values at random).
  void prefetchEntry(std::size_t i) const { prefetchForWrite(&entries_[i]); }
  // Hints that the text of value i is about to be read.
  void prefetchText(std::size_t i) const { prefetchForRead(entries_[i].data()); }

  // Makes room for `count` more values, `codeUnits` of them copied in all.
  void reserveAdditional(std::size_t count, std::size_t codeUnits) {
    entries_.reserve(entries_.size() + count);
    if (codeUnits > room_) newChunk(codeUnits);
  }

  void clear() {
    entries_.clear();
    chunks_.clear();
    free_ = nullptr;
    room_ = 0;
    nextChunk_ = kFirstChunk;
  }

  // Total code units of all values, for sizing the response once.
  std::size_t totalLength() const {
    std::size_t n = 0;
    for (TextView v : entries_) n += v.size();
    return n;
  }

 private:
  // The first chunk is small, for the common answer of a few short values; later ones
  // double up to the size that keeps a large answer at a handful of chunks.
  static constexpr std::size_t kFirstChunk = 64;
  static constexpr std::size_t kLargestChunk = 4096;

  void newChunk(std::size_t codeUnits) {
    const std::size_t size = codeUnits < nextChunk_ ? nextChunk_ : codeUnits;
    if (nextChunk_ < kLargestChunk) nextChunk_ *= 2;
    // Owned before the chunk list grows: if that growth fails, the chunk is released.
    std::unique_ptr<char16_t[]> chunk(new char16_t[size]);
    chunks_.push_back(std::move(chunk));
    free_ = chunks_.back().get();
    room_ = size;
  }

  char16_t* allocate(std::size_t codeUnits) {
    if (codeUnits > room_) newChunk(codeUnits);
    char16_t* p = free_;
    free_ += codeUnits;
    room_ -= codeUnits;
    return p;
  }

  std::vector<TextView> entries_;
  std::vector<std::unique_ptr<char16_t[]>> chunks_;
  char16_t* free_ = nullptr;
  std::size_t room_ = 0;
  std::size_t nextChunk_ = kFirstChunk;
};

}  // namespace orrery
