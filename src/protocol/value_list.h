#pragma once
// The Values of a response: an ordered list of texts. A value is either a view of text
// that outlives the list (a request argument of the same record) or a copy kept in the
// list's own storage, which grows in chunks that never move. So a command writing
// a million values makes a handful of allocations, and one that returns items of its
// arguments copies no text at all.
#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "protocol/prefetch.h"
#include "protocol/scratch_memory.h"
#include "protocol/text.h"

namespace orrery {

class ValueList {
 public:
  // The entries live in blocks of `memory` when given, so that they can be kept for
  // the next request.
  explicit ValueList(ScratchMemory* memory = nullptr) noexcept
      : entries_(memory), seconds_(memory) {}
  ValueList(ValueList&& other) noexcept { *this = std::move(other); }
  ValueList& operator=(ValueList&& other) noexcept {
    if (this != &other) {
      entries_ = std::move(other.entries_);
      size_ = std::exchange(other.size_, 0);
      chunks_ = std::move(other.chunks_);
      free_ = std::exchange(other.free_, nullptr);
      room_ = std::exchange(other.room_, 0);
      nextChunk_ = std::exchange(other.nextChunk_, kFirstChunk);
      seconds_ = std::move(other.seconds_);
      pairs_ = std::exchange(other.pairs_, false);
    }
    return *this;
  }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // The text of value i; of a pair, its first part (see forEachPiece).
  TextView operator[](std::size_t i) const { return entries_.data()[i]; }

  // True when the values are pairs: value i is then operator[](i), a PairSeparator and
  // second(i).
  bool holdsPairs() const { return pairs_; }
  TextView second(std::size_t i) const { return seconds_.data()[i]; }

  // Calls `piece(TextView)` for the pieces of value i in order: its text, or the first
  // part, the PairSeparator and the second part of a pair.
  template <typename Piece>
  void forEachPiece(std::size_t i, Piece&& piece) const {
    piece(entries_.data()[i]);
    if (pairs_) {
      piece(kPairSeparatorText);
      piece(seconds_.data()[i]);
    }
  }

  // Appends a copy of `value`.
  void push_back(TextView value) {
    char16_t* p = allocate(value.size());
    value.copy(p, value.size());
    append(TextView(p, value.size()));
  }

  // Appends `value` itself, without copying: its text must stay unchanged for as long
  // as the list exists (a request argument, which lives as long as the record).
  void pushView(TextView value) { append(value); }

  // Appends a value written in two pieces with a separator between them, without a
  // temporary: the Pair form of the list commands.
  void pushJoined(TextView first, char16_t separator, TextView second) {
    const std::size_t length = first.size() + 1 + second.size();
    char16_t* p = allocate(length);
    first.copy(p, first.size());
    p[first.size()] = separator;
    second.copy(p + first.size() + 1, second.size());
    append(TextView(p, length));
  }

  // Appends the pair of `first` and `second` joined by a PairSeparator, both kept as
  // views like pushView's, so the pair's text is never copied. A list holds pairs only
  // or no pairs: this is for an empty list or one of pairs.
  void pushPair(TextView first, TextView second) {
    pairs_ = true;
    if (size_ == seconds_.capacity()) seconds_.reserve(size_ < 8 ? 8 : size_ * 2, size_);
    ::new (static_cast<void*>(seconds_.data() + size_)) TextView(second);
    append(first);
  }
  // Makes room for `count` more pairs.
  void reservePairs(std::size_t count) {
    entries_.reserve(size_ + count, size_);
    seconds_.reserve(size_ + count, size_);
  }

  // Exchanges two values in place; only their positions in the list move.
  void swap(std::size_t i, std::size_t j) {
    std::swap(entries_.data()[i], entries_.data()[j]);
    if (pairs_) std::swap(seconds_.data()[i], seconds_.data()[j]);
  }

  // Hints that value i is about to be swapped (for loops that visit values at random).
  void prefetchEntry(std::size_t i) const { prefetchForWrite(entries_.data() + i); }
  // Hints that the text of value i is about to be read.
  void prefetchText(std::size_t i) const { prefetchForRead(entries_.data()[i].data()); }

  // Makes room for `count` more values, `codeUnits` of them copied in all.
  void reserveAdditional(std::size_t count, std::size_t codeUnits) {
    entries_.reserve(size_ + count, size_);
    if (codeUnits > room_) newChunk(codeUnits);
  }

  // Takes `block` as the room for its values, in place of its own: for a writer whose
  // items are records in that block, so that the values need no memory of their own.
  // The list must be empty. Value i is written over the block's first 16 (i + 1) bytes,
  // so records of at least that size, read in ascending order with one value pushed
  // per record read, are each read before a value overwrites them.
  void adoptStorage(ScratchMemory::Block block) noexcept { entries_.adopt(std::move(block)); }

  void clear() {
    entries_.release();
    seconds_.release();
    pairs_ = false;
    size_ = 0;
    chunks_.clear();
    free_ = nullptr;
    room_ = 0;
    nextChunk_ = kFirstChunk;
  }

  // Total code units of all values, for sizing the response once.
  std::size_t totalLength() const {
    std::size_t n = 0;
    for (std::size_t i = 0; i < size_; ++i) {
      forEachPiece(i, [&](TextView piece) { n += piece.size(); });
    }
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

  void append(TextView value) {
    if (size_ == entries_.capacity()) entries_.reserve(size_ < 8 ? 8 : size_ * 2, size_);
    ::new (static_cast<void*>(entries_.data() + size_)) TextView(value);
    ++size_;
  }

  char16_t* allocate(std::size_t codeUnits) {
    if (codeUnits > room_) newChunk(codeUnits);
    char16_t* p = free_;
    free_ += codeUnits;
    room_ -= codeUnits;
    return p;
  }

  ScratchArray<TextView> entries_;  // the values, or the first parts of pairs
  std::size_t size_ = 0;
  ScratchArray<TextView> seconds_;  // the second parts of pairs
  bool pairs_ = false;
  std::vector<std::unique_ptr<char16_t[]>> chunks_;
  char16_t* free_ = nullptr;
  std::size_t room_ = 0;
  std::size_t nextChunk_ = kFirstChunk;
};

}  // namespace orrery
