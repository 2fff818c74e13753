#pragma once
// The Values of a response: an ordered list of texts. A value is either a view of text
// that outlives the list (a request argument of the same record) or a copy kept in the
// list's own storage. So a command writing a million values makes a handful of
// allocations, and one that returns items of its arguments copies no text at all.
//
// A list may pack its values (see packViewsOf): each is then 8 bytes, an offset and a
// length into the request text or into one buffer of copies, where a view is 16. The
// entries of a large answer are as large as its request's items are many, so this
// halves the memory a first request touches for them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
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
      : entries_(memory), seconds_(memory), packed_(memory), packedSeconds_(memory) {}
  ValueList(ValueList&& other) noexcept { *this = std::move(other); }
  ValueList& operator=(ValueList&& other) noexcept {
    if (this != &other) {
      entries_ = std::move(other.entries_);
      seconds_ = std::move(other.seconds_);
      packed_ = std::move(other.packed_);
      packedSeconds_ = std::move(other.packedSeconds_);
      size_ = std::exchange(other.size_, 0);
      pairs_ = std::exchange(other.pairs_, false);
      chunks_ = std::move(other.chunks_);
      free_ = std::exchange(other.free_, nullptr);
      room_ = std::exchange(other.room_, 0);
      nextChunk_ = std::exchange(other.nextChunk_, kFirstChunk);
      packing_ = std::exchange(other.packing_, false);
      base_ = std::exchange(other.base_, nullptr);
      baseBytes_ = std::exchange(other.baseBytes_, 0);
      copies_ = std::move(other.copies_);
      aside_ = std::move(other.aside_);
      copiesSize_ = std::exchange(other.copiesSize_, 0);
      copiesCapacity_ = std::exchange(other.copiesCapacity_, 0);
    }
    return *this;
  }

  // The most code units of a text whose views are packed: its items' reading positions
  // in decimal, all copied, then still fit 32-bit offsets into the copies.
  static constexpr std::size_t kMostPackedBase = std::size_t{1} << 28;

  // Whether packing saves room: where a view is no larger than a packed value (32-bit
  // builds), values stay views.
  static constexpr bool kPackingPays = sizeof(TextView) > 2 * sizeof(std::uint32_t);

  // From here on, values are packed: those that view `base` (which must outlive the
  // list) as offsets into it, any other as a copy. For an empty list and a base of up to
  // kMostPackedBase code units where packing pays; otherwise the values stay views.
  void packViewsOf(TextView base) noexcept {
    if (!kPackingPays || size_ != 0 || packing_ || base.size() > kMostPackedBase) return;
    packing_ = true;
    base_ = base.data();
    baseBytes_ = base.size() * sizeof(char16_t);
  }
  bool packs() const { return packing_; }
  // The room one value takes in the list.
  std::size_t entryBytes() const { return packing_ ? sizeof(PackedValue) : sizeof(TextView); }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // The text of value i; of a pair, its first part (see forEachPiece).
  TextView operator[](std::size_t i) const {
    return packing_ ? unpack(packed_.data()[i]) : entries_.data()[i];
  }

  // True when the values are pairs: value i is then operator[](i), a PairSeparator and
  // second(i).
  bool holdsPairs() const { return pairs_; }
  TextView second(std::size_t i) const {
    return packing_ ? unpack(packedSeconds_.data()[i]) : seconds_.data()[i];
  }

  // The texts of all values, read through the form the list holds them in, which is
  // settled once rather than asked per value: `visit(texts)` is called with an object
  // whose first(i) and second(i) are those of operator[] and second.
  template <typename Visit>
  decltype(auto) visitTexts(Visit&& visit) const {
    if (packing_)
      return visit(PackedTexts{packed_.data(), packedSeconds_.data(), base_, copies_.get()});
    return visit(ViewTexts{entries_.data(), seconds_.data()});
  }

  // Calls `piece(TextView)` for the pieces of value i in order: its text, or the first
  // part, the PairSeparator and the second part of a pair.
  template <typename Piece>
  void forEachPiece(std::size_t i, Piece&& piece) const {
    piece((*this)[i]);
    if (pairs_) {
      piece(kPairSeparatorText);
      piece(second(i));
    }
  }

  // Appends a copy of `value`.
  void push_back(TextView value) {
    char16_t* p = allocate(value.size());
    value.copy(p, value.size());
    appendCopy(p, value.size());
  }

  // Appends `value` itself, without copying: its text must stay unchanged for as long
  // as the list exists (a request argument, which lives as long as the record). A
  // packing list copies a text that lies outside its base.
  void pushView(TextView value) {
    if (!packing_) return append(value);
    if (size_ == packed_.capacity()) [[unlikely]]
      growEntries();
    packed_.data()[size_++] = packOrCopy(value);
  }

  // Appends `count` values as pushView would, `viewAt(i)` giving the i-th, with room
  // made once. Each view is taken before its value is stored, so the views may be read
  // from records that the values overwrite, value i at or before record i.
  template <typename ViewAt>
  void pushViews(std::size_t count, ViewAt&& viewAt) {
    reserveAdditional(count, 0);
    if (!packing_) {
      for (std::size_t i = 0; i < count; ++i) append(viewAt(i));
      return;
    }
    PackedValue* out = packed_.data() + size_;
    for (std::size_t i = 0; i < count; ++i) {
      const TextView view = viewAt(i);
      out[i] = packOrCopy(view);
    }
    size_ += count;
  }

  // Appends a value written in two pieces with a separator between them, without a
  // temporary: the Pair form of the list commands.
  void pushJoined(TextView first, char16_t separator, TextView second) {
    const std::size_t length = first.size() + 1 + second.size();
    char16_t* p = allocate(length);
    first.copy(p, first.size());
    p[first.size()] = separator;
    second.copy(p + first.size() + 1, second.size());
    appendCopy(p, length);
  }

  // Appends the pair of `first` and `second` joined by a PairSeparator, both kept as
  // views like pushView's, so the pair's text is never copied. A list holds pairs only
  // or no pairs: this is for an empty list or one of pairs.
  void pushPair(TextView first, TextView second) {
    pairs_ = true;
    if (packing_) {
      // Pairs are reserved together, so the firsts' room covers the seconds'.
      if (size_ == packed_.capacity() || size_ == packedSeconds_.capacity()) [[unlikely]] {
        growSeconds();
        growEntries();
      }
      packedSeconds_.data()[size_] = packOrCopy(second);
      packed_.data()[size_] = packOrCopy(first);
      ++size_;
      return;
    }
    if (size_ == seconds_.capacity()) growSeconds();
    ::new (static_cast<void*>(seconds_.data() + size_)) TextView(second);
    append(first);
  }
  // Makes room for `count` more pairs.
  void reservePairs(std::size_t count) {
    withArrays([&](auto& firsts, auto& seconds) {
      firsts.reserve(size_ + count, size_);
      seconds.reserve(size_ + count, size_);
    });
  }

  // Exchanges two values in place; only their positions in the list move.
  void swap(std::size_t i, std::size_t j) {
    withArrays([&](auto& firsts, auto& seconds) {
      std::swap(firsts.data()[i], firsts.data()[j]);
      if (pairs_) std::swap(seconds.data()[i], seconds.data()[j]);
    });
  }

  // Hints that value i is about to be swapped (for loops that visit values at random).
  void prefetchEntry(std::size_t i) {
    withArrays([&](auto& firsts, auto&) { prefetchForWrite(firsts.data() + i); });
  }

  // Makes room for `count` more values, `codeUnits` of them copied in all.
  void reserveAdditional(std::size_t count, std::size_t codeUnits) {
    if (packing_) {
      packed_.reserve(size_ + count, size_);
      if (codeUnits > copiesCapacity_ - copiesSize_) growCopies(codeUnits);
      return;
    }
    entries_.reserve(size_ + count, size_);
    if (codeUnits > room_) newChunk(codeUnits);
  }

  // Takes `block` as the room for its values, in place of its own: for a writer whose
  // items are records in that block, so that the values need no memory of their own.
  // The list must be empty. Value i is written over the block's first
  // entryBytes() (i + 1) bytes, so records of at least that size, read in ascending
  // order with one value pushed per record read, are each read before a value
  // overwrites them.
  void adoptStorage(ScratchMemory::Block block) noexcept {
    withArrays([&](auto& firsts, auto&) { firsts.adopt(std::move(block)); });
  }

  // Whether moveInto, with `aside`, puts the values in bulk memory of their own rather
  // than at the end of the room: when they take platform::kBulkFrom bytes or more.
  bool movesAside() const { return size_ * entryBytes() >= platform::kBulkFrom; }

  // Moves the values (the first parts of pairs) to the end of `bytes` bytes of room
  // made from the block that holds them: `grow(block)` either takes the block over and
  // returns the start of that room, or returns null and leaves it. The values are then
  // read from their new place, which the list no longer owns. With `aside`, for room
  // whose end a writer may never reach, values of platform::kBulkFrom bytes and more go
  // to bulk memory of the list's own instead, so that the end's pages are not touched
  // for them alone.
  // Returns the room, or null when the list has no such block or `grow` declined it.
  template <typename Grow>
  std::byte* moveInto(std::size_t bytes, Grow&& grow, bool aside = false) {
    std::byte* room = nullptr;
    withArrays([&](auto& firsts, auto&) {
      using Entry = std::remove_pointer_t<decltype(firsts.data())>;
      static_assert(alignof(Entry) <= 8, "the writer leaves 7 bytes for aligning the values");
      const std::size_t used = size_ * sizeof(Entry);
      ScratchMemory::Block block = firsts.releaseBlock();
      if (block.bytes != nullptr && used <= bytes) room = grow(block);
      if (room == nullptr) return firsts.adopt(std::move(block));
      std::byte* at = aside && movesAside() ? copyAside(room, used) : nullptr;
      if (at == nullptr) {  // also without bulk memory: the end of the room serves
        at = room + ((bytes - used) & ~(alignof(Entry) - 1));
        std::memmove(at, room, used);
      }
      firsts.adopt(ScratchMemory::Block{{at, ScratchRelease{nullptr}}, used});
    });
    return room;
  }

  // Removes every value; a packing list stays packing.
  void clear() {
    entries_.release();
    seconds_.release();
    packed_.release();
    packedSeconds_.release();
    pairs_ = false;
    size_ = 0;
    chunks_.clear();
    free_ = nullptr;
    room_ = 0;
    nextChunk_ = kFirstChunk;
    copies_.reset();
    aside_.reset();
    copiesSize_ = 0;
    copiesCapacity_ = 0;
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
  // A copy of `used` bytes at `from` in bulk memory that the list keeps; null without
  // the memory.
  std::byte* copyAside(const std::byte* from, std::size_t used) noexcept {
    aside_ = BulkRegion(static_cast<std::byte*>(platform::allocateBulk(used)), BulkRelease{used});
    if (aside_ != nullptr) std::memcpy(aside_.get(), from, used);
    return aside_.get();
  }

  // A packed value: offset and length in code units, into the base or, with kCopied
  // set in the length, into the copies.
  struct PackedValue {
    std::uint32_t offset;
    std::uint32_t length;
  };
  static constexpr std::uint32_t kCopied = std::uint32_t{1} << 31;

  struct PackedTexts {
    const PackedValue* firsts;
    const PackedValue* seconds;
    const char16_t* base;
    const char16_t* copies;
    TextView unpack(PackedValue v) const {
      if ((v.length & kCopied) != 0) return TextView(copies + v.offset, v.length & ~kCopied);
      return TextView(base + v.offset, v.length);
    }
    TextView first(std::size_t i) const { return unpack(firsts[i]); }
    TextView second(std::size_t i) const { return unpack(seconds[i]); }
  };
  struct ViewTexts {
    const TextView* firsts;
    const TextView* seconds;
    TextView first(std::size_t i) const { return firsts[i]; }
    TextView second(std::size_t i) const { return seconds[i]; }
  };

  // The first chunk is small, for the common answer of a few short values; later ones
  // double up to the size that keeps a large answer at a handful of chunks.
  static constexpr std::size_t kFirstChunk = 64;
  static constexpr std::size_t kLargestChunk = 4096;

  TextView unpack(PackedValue v) const {
    return PackedTexts{nullptr, nullptr, base_, copies_.get()}.unpack(v);
  }

  PackedValue packOrCopy(TextView value) {
    // Compared as addresses: a view of another text is no piece of the base.
    const std::uintptr_t at =
        reinterpret_cast<std::uintptr_t>(value.data()) - reinterpret_cast<std::uintptr_t>(base_);
    if (at <= baseBytes_ && value.size() * sizeof(char16_t) <= baseBytes_ - at) [[likely]] {
      return {static_cast<std::uint32_t>(at / sizeof(char16_t)),
              static_cast<std::uint32_t>(value.size())};
    }
    return copyOf(value);
  }
  PackedValue copyOf(TextView value);

  PackedValue copied(const char16_t* p, std::size_t length) const {
    return {static_cast<std::uint32_t>(p - copies_.get()),
            static_cast<std::uint32_t>(length) | kCopied};
  }

  // Calls `f(firsts, seconds)` with the two arrays of the form the list holds its
  // values in.
  template <typename F>
  void withArrays(F&& f) {
    if (packing_) {
      f(packed_, packedSeconds_);
    } else {
      f(entries_, seconds_);
    }
  }

  // Grow the values' arrays, doubling, out of line: they are called once in many values.
  void growEntries();
  void growSeconds();
  void newChunk(std::size_t codeUnits);
  // The copies of a packing list are one buffer, addressed by offsets, so it may move
  // as it grows.
  void growCopies(std::size_t codeUnits);

  void append(TextView value) {
    if (size_ == entries_.capacity()) [[unlikely]]
      growEntries();
    ::new (static_cast<void*>(entries_.data() + size_)) TextView(value);
    ++size_;
  }

  void appendCopy(const char16_t* p, std::size_t length) {
    if (!packing_) return append(TextView(p, length));
    if (size_ == packed_.capacity()) [[unlikely]]
      growEntries();
    packed_.data()[size_++] = copied(p, length);
  }

  // Room for `codeUnits` copied code units, valid until the next call.
  char16_t* allocate(std::size_t codeUnits) {
    if (packing_) {
      if (codeUnits > copiesCapacity_ - copiesSize_) growCopies(codeUnits);
      char16_t* p = copies_.get() + copiesSize_;
      copiesSize_ += codeUnits;
      return p;
    }
    if (codeUnits > room_) newChunk(codeUnits);
    char16_t* p = free_;
    free_ += codeUnits;
    room_ -= codeUnits;
    return p;
  }

  ScratchArray<TextView> entries_;           // the values, or the first parts of pairs
  ScratchArray<TextView> seconds_;           // the second parts of pairs
  ScratchArray<PackedValue> packed_;         // entries_ of a packing list
  ScratchArray<PackedValue> packedSeconds_;  // seconds_ of a packing list
  std::size_t size_ = 0;
  bool pairs_ = false;
  std::vector<std::unique_ptr<char16_t[]>> chunks_;
  char16_t* free_ = nullptr;
  std::size_t room_ = 0;
  std::size_t nextChunk_ = kFirstChunk;
  bool packing_ = false;
  const char16_t* base_ = nullptr;
  std::size_t baseBytes_ = 0;
  std::unique_ptr<char16_t[]> copies_;
  BulkRegion aside_;  // the values, when moveInto put them aside
  std::size_t copiesSize_ = 0;
  std::size_t copiesCapacity_ = 0;
};

}  // namespace orrery
