#pragma once
// The ordered store of the keyed list commands: items read in one pass into compact
// records (key, where the item lies in the list text), then ordered once, ascending by
// key with equal keys in reading order.
#include <algorithm>
#include <bit>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <utility>

#include "commands/framework/number_conversion.h"
#include "commands/sort/float_conversion.h"
#include "commands/sort/item_writer.h"
#include "commands/sort/keyed_list_reader.h"
#include "protocol/scratch_memory.h"
#include "protocol/value_list.h"

namespace orrery {

// A record keeps what ordering and writing need: the key, where the item starts and the
// length of its first part. The second part is found again from there when written, and
// the reading position is kept only when it is written: offsets grow with reading
// order, so they break ties as well. A packed Value (8 bytes) fits in any record, so the
// Values can be written over the records (see lendRecordsTo).
template <typename Key, bool kPositions>
struct KeyedRecord {
  Key key;
  std::uint32_t offset;
  std::uint32_t firstLength;

  std::uint32_t position() const { return 0; }  // not kept
};
template <typename Key>
struct KeyedRecord<Key, true> {
  Key key;
  std::uint32_t offset;
  std::uint32_t firstLength;
  std::uint32_t kept;

  std::uint32_t position() const { return kept; }
};

// Key kinds. Each makes the key of a first part and compares two records, given a way to
// find where each record's item starts in its list text (asked only when the texts
// decide). compare returns <0, 0 or >0.

// Text order, code unit by code unit. The key holds the first four code units (zero
// padded) so that most comparisons never touch the texts; a tie there falls back to
// the whole first parts.
struct StringKey {
  using Key = std::uint64_t;
  static Key make(TextView first) {
    Key key = 0;
    for (std::size_t i = 0; i < 4; ++i) key = (key << 16) | (i < first.size() ? first[i] : 0u);
    return key;
  }
  // The key of the first part of `length` units at `offset` in `list`. Where four units
  // lie there, whatever the part's length, they are read as one word, and the units past
  // the part are masked off.
  static Key make(TextView list, std::size_t offset, std::size_t length) {
    if (std::endian::native != std::endian::little || list.size() - offset < 4) {
      return make(list.substr(offset, length));
    }
    constexpr std::uint64_t kKept[] = {0, 0xFFFF000000000000u, 0xFFFFFFFF00000000u,
                                       0xFFFFFFFFFFFF0000u, ~std::uint64_t{0}};
    std::uint64_t w;
    std::memcpy(&w, list.data() + offset, sizeof w);
    // The first unit is the word's lowest and must be the key's highest: the halves
    // change places, then the units within each half.
    w = (w << 32) | (w >> 32);
    w = ((w & 0x0000FFFF0000FFFFu) << 16) | ((w >> 16) & 0x0000FFFF0000FFFFu);
    return w & kKept[length < 4 ? length : 4];
  }
  static constexpr std::uint32_t kPrefixUnits = 4;
  static std::uint64_t rank(Key key) { return key; }
  template <typename Record, typename ItemOfA, typename ItemOfB>
  static int compare(const Record& a, const ItemOfA& itemOfA, const Record& b,
                     const ItemOfB& itemOfB) {
    if (a.key != b.key) return a.key < b.key ? -1 : 1;
    // Equal prefixes: when either text is shorter than the prefix, the padding shows it
    // to be the start of the other, so the lengths decide without reading the texts.
    const std::uint32_t la = a.firstLength;
    const std::uint32_t lb = b.firstLength;
    if (la < kPrefixUnits || lb < kPrefixUnits) return (la > lb) - (la < lb);
    return TextView(itemOfA(a) + kPrefixUnits, la - kPrefixUnits)
        .compare(TextView(itemOfB(b) + kPrefixUnits, lb - kPrefixUnits));
  }
};

struct IntegerKey {
  using Key = std::int32_t;
  // Most keys are plain decimals, maybe negative, of up to ten digits: those are read
  // here; anything else (white space, a plus sign, saturation, a bad text) goes to the
  // full conversion.
  static Key make(TextView first) {
    const std::size_t sign = !first.empty() && first[0] == u'-' ? 1 : 0;
    if (first.size() - sign - 1 >= 10) return toInteger(first);  // no digits, or too many
    std::int64_t magnitude = 0;
    for (std::size_t i = sign; i < first.size(); ++i) {
      const unsigned digit = static_cast<unsigned>(first[i]) - u'0';
      if (digit > 9) return toInteger(first);
      magnitude = magnitude * 10 + digit;
    }
    const std::int64_t value = sign != 0 ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return toInteger(first);
    return static_cast<Key>(value);
  }
  // Unsigned with the same order, for the radix sort.
  static std::uint32_t rank(Key key) { return static_cast<std::uint32_t>(key) ^ 0x80000000u; }
  template <typename Record, typename ItemOf>
  static int compare(const Record& a, const ItemOf&, const Record& b, const ItemOf&) {
    return (a.key > b.key) - (a.key < b.key);
  }
};

struct FloatKey {
  using Key = double;
  static Key make(TextView first) { return toFloat(first); }
  template <typename Record, typename ItemOf>
  static int compare(const Record& a, const ItemOf&, const Record& b, const ItemOf&) {
    return (a.key > b.key) - (a.key < b.key);
  }
};

// Length in UTF-16 code units.
struct LengthKey {
  using Key = std::uint32_t;
  static Key make(TextView first) { return static_cast<Key>(first.size()); }
  static std::uint32_t rank(Key key) { return key; }
  template <typename Record, typename ItemOf>
  static int compare(const Record& a, const ItemOf&, const Record& b, const ItemOf&) {
    return (a.key > b.key) - (a.key < b.key);
  }
};

// Key kinds with an unsigned rank that orders like their keys (the text prefix, an
// integer, a length) are ordered by radix; the others by comparison.
template <typename KeyOrder>
concept RankedKey = requires(typename KeyOrder::Key key) {
  { KeyOrder::rank(key) } -> std::unsigned_integral;
};

// Below this many records a group is finished by insertion.
inline constexpr std::size_t kInsertionSortLimit = 32;

template <typename Record, typename Less>
void insertionSort(Record* records, std::size_t n, const Less& less) {
  for (std::size_t i = 1; i < n; ++i) {
    const Record r = records[i];
    std::size_t j = i;
    for (; j > 0 && less(r, records[j - 1]); --j) records[j] = records[j - 1];
    records[j] = r;
  }
}

// Most significant digit first, 8 bits at a time, in place: each level moves the records
// of one group into their buckets by exchanges, so the sort needs no second array (a
// second array is as large as the records and, on a first request, every page of it is a
// fault). The digit is the highest byte in which the group's ranks differ, found in one
// pass, so digits every record shares (the high bytes of text) cost no pass of their own.
// The exchanges do not keep equal ranks in reading order; every group ends in a
// comparison sort (small groups, and text groups whose whole prefix is equal) by `less`,
// which must order every pair of records (ties broken by reading position), and that
// restores the stable order.
template <typename KeyOrder, typename Record, typename Less>
void radixSort(Record* records, std::size_t n, const Less& less) {
  // A rank of 32 bits takes the offset, which grows with reading order, as its low half:
  // equal keys are then ordered by the radix passes and by comparing these numbers alone.
  constexpr bool kWithPosition = sizeof(KeyOrder::rank(records->key)) <= sizeof(std::uint32_t);
  const auto rankOf = [](const Record& r) -> std::uint64_t {
    if constexpr (kWithPosition) {
      return std::uint64_t{KeyOrder::rank(r.key)} << 32 | r.offset;
    } else {
      return KeyOrder::rank(r.key);
    }
  };
  if (n <= kInsertionSortLimit) {
    if constexpr (kWithPosition) {
      return insertionSort(records, n,
                           [&](const Record& a, const Record& b) { return rankOf(a) < rankOf(b); });
    } else {
      return insertionSort(records, n, less);
    }
  }
  std::uint64_t differ = 0;
  const std::uint64_t first = rankOf(records[0]);
  for (std::size_t i = 1; i < n; ++i) differ |= rankOf(records[i]) ^ first;
  if (differ == 0) return std::sort(records, records + n, less);  // whole prefixes equal
  const int shift = (63 - std::countl_zero(differ)) & ~7;
  const auto digitOf = [&](const Record& r) {
    return static_cast<std::uint32_t>(rankOf(r) >> shift) & 0xFF;
  };
  // Only the digits between the lowest and the highest present are visited: text
  // spans a narrow band of each byte.
  std::uint32_t heads[256] = {};
  std::uint32_t ends[256];
  std::uint32_t lo = 255;
  std::uint32_t hi = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t d = digitOf(records[i]);
    ++heads[d];
    lo = d < lo ? d : lo;
    hi = d > hi ? d : hi;
  }
  std::uint32_t sum = 0;
  for (std::uint32_t d = lo; d <= hi; ++d) {
    sum += heads[d];
    ends[d] = sum;
    heads[d] = sum - heads[d];
  }
  // Each record out of place is carried to the head of its bucket, and the one found
  // there onwards, until a record for the bucket being filled comes back.
  for (std::uint32_t d = lo; d <= hi; ++d) {
    while (heads[d] < ends[d]) {
      Record carried = records[heads[d]];
      for (std::uint32_t c = digitOf(carried); c != d; c = digitOf(carried)) {
        std::swap(carried, records[heads[c]++]);
      }
      records[heads[d]++] = carried;
    }
  }
  std::uint32_t begin = 0;
  for (std::uint32_t d = lo; d <= hi; ++d) {
    const std::uint32_t end = ends[d];
    if (end - begin > 1) radixSort<KeyOrder>(records + begin, end - begin, less);
    begin = end;
  }
}

// kPositions keeps each item's reading position in its record, for writers of indexes.
template <typename KeyOrder, bool kPositions = false>
class OrderedStore {
 public:
  using Record = KeyedRecord<typename KeyOrder::Key, kPositions>;

  // Reads every item of `list` (which must outlive the store), computing keys as they
  // arrive, then orders the records. The records take their room from `scratch` when
  // given. A key that does not convert throws ConvExcep and leaves the store unordered.
  explicit OrderedStore(TextView list, ScratchMemory* scratch = nullptr)
      : list_(list), storage_(scratch) {
    const KeyedListReader reader(list);
    storage_.reserve(reader.itemBound(), 0);
    records_ = storage_.data();
    readAll(reader, 0);
    order();
  }

  // The items of two lists in one order, those of `first` before those of `second`
  // among equal keys: for walking both in key order with a single cursor. Offsets of
  // the second list's items count on from the end of the first, so the two together
  // must fit the offsets (see fitsTogether).
  OrderedStore(TextView first, TextView second, ScratchMemory* scratch)
      : list_(first),
        second_(second),
        split_(static_cast<std::uint32_t>(first.size())),
        storage_(scratch) {
    const KeyedListReader firstReader(first);
    const KeyedListReader secondReader(second);
    storage_.reserve(firstReader.itemBound() + secondReader.itemBound(), 0);
    records_ = storage_.data();
    readAll(firstReader, 0);
    readAll(secondReader, split_);
    order();
  }

  static bool fitsTogether(TextView first, TextView second) {
    constexpr std::size_t kMost = std::numeric_limits<std::uint32_t>::max();
    return first.size() <= kMost && second.size() <= kMost - first.size();
  }

  // True for records of the second list of a store of two.
  bool fromSecond(const Record& r) const { return r.offset >= split_; }

  // The item of a record, for a writer.
  ChosenItem chosen(const Record& r) const {
    if (!fromSecond(r)) return ChosenItem::of(list_, r);
    ChosenItem item = ChosenItem::of(second_, r);
    item.offset -= split_;
    return item;
  }

  TextView list() const { return list_; }
  std::span<const Record> records() const { return {records_, size_}; }

  // Turns the order around, equal keys included.
  void reverse() { std::reverse(records_, records_ + size_); }

  // Keeps some records of every run of equal keys, in order, packed at the front:
  // `choose(run, size, out)` copies the records it keeps of the run, in order, to `out`
  // and returns the end of what it wrote. `out` lies at or before the run, so each
  // record must be read before its place is written.
  template <typename Choose>
  void keepWithinKeys(Choose&& choose) {
    Record* out = records_;
    for (std::size_t begin = 0, end = 0; begin < size_; begin = end) {
      end = begin + 1;
      while (end < size_ && sameKey(records_[begin], records_[end])) ++end;
      out = choose(records_ + begin, end - begin, out);
    }
    size_ = static_cast<std::size_t>(out - records_);
  }

  // Hands the room of the records to `values`, which must be empty, so that a writer
  // that pushes one value per record, reading the records in ascending order, needs
  // no room of its own for the values. The records stay readable until written over.
  // Values that are views rather than packed may be larger than the records, and then
  // take room of their own.
  void lendRecordsTo(ValueList& values) {
    if (values.empty() && values.entryBytes() <= sizeof(Record)) {
      values.adoptStorage(storage_.releaseBlock());
    }
  }

  // Compares the keys of a record of this store and one of `other`.
  int compare(const Record& a, const OrderedStore& other, const Record& b) const {
    return KeyOrder::compare(a, itemOf(), b, other.itemOf());
  }
  bool sameKey(const Record& a, const Record& b) const {
    return KeyOrder::compare(a, itemOf(), b, itemOf()) == 0;
  }

 private:
  template <typename Reader>
  void readAll(const Reader& reader, std::uint32_t base) {
    const TextView list = reader.list();
    reader.read([&](const KeyedItem& item) {
      Record* r = ::new (static_cast<void*>(records_ + size_)) Record;
      if constexpr (requires { KeyOrder::make(list, item.offset, item.firstLength); }) {
        r->key = KeyOrder::make(list, item.offset, item.firstLength);
      } else {
        r->key = KeyOrder::make(item.first(list));
      }
      r->offset = base + item.offset;
      r->firstLength = item.firstLength;
      if constexpr (kPositions) r->kept = item.position;
      ++size_;
    });
  }

  void order() {
    // Ties broken by offset, that is by reading order, give the stable order.
    const auto less = [itemOf = itemOf()](const Record& a, const Record& b) {
      const int c = KeyOrder::compare(a, itemOf, b, itemOf);
      return c != 0 ? c < 0 : a.offset < b.offset;
    };
    if constexpr (RankedKey<KeyOrder>) {
      radixSort<KeyOrder>(records_, size_, less);
    } else {
      std::sort(records_, records_ + size_, less);
    }
  }

  // Where a record's item starts.
  auto itemOf() const {
    return [first = list_.data(), second = second_.data(), split = split_](const Record& r) {
      return r.offset < split ? first + r.offset : second + (r.offset - split);
    };
  }

  TextView list_;
  TextView second_;
  // Where the offsets of the second list start; past every offset of a single list.
  std::uint32_t split_ = std::numeric_limits<std::uint32_t>::max();
  ScratchArray<Record> storage_;
  Record* records_ = nullptr;  // still the records once their room is lent
  std::size_t size_ = 0;
};

}  // namespace orrery
