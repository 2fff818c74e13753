#pragma once
// The ordered store of the keyed list commands: items read in one pass into compact
// records (key, offsets into the list text, reading position), then ordered once,
// ascending by key with equal keys in reading order.
#include <algorithm>
#include <bit>
#include <concepts>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "commands/framework/number_conversion.h"
#include "commands/sort/float_conversion.h"
#include "commands/sort/keyed_list_reader.h"

namespace orrery {

template <typename Key>
struct KeyedRecord {
  Key key;
  KeyedItem item;
};

// Key kinds. Each makes the key of a first part and compares two records, which may
// come from different list texts. compare returns <0, 0 or >0.

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
  static constexpr std::uint32_t kPrefixUnits = 4;
  static int compare(TextView listA, const KeyedRecord<Key>& a, TextView listB,
                     const KeyedRecord<Key>& b) {
    if (a.key != b.key) return a.key < b.key ? -1 : 1;
    // Equal prefixes: when either text is shorter than the prefix, the padding shows it
    // to be the start of the other, so the lengths decide without reading the texts.
    const std::uint32_t la = a.item.firstLength;
    const std::uint32_t lb = b.item.firstLength;
    if (la < kPrefixUnits || lb < kPrefixUnits) return (la > lb) - (la < lb);
    return a.item.first(listA)
        .substr(kPrefixUnits)
        .compare(b.item.first(listB).substr(kPrefixUnits));
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
  static int compare(TextView, const KeyedRecord<Key>& a, TextView, const KeyedRecord<Key>& b) {
    return (a.key > b.key) - (a.key < b.key);
  }
};

struct FloatKey {
  using Key = double;
  static Key make(TextView first) { return toFloat(first); }
  static int compare(TextView, const KeyedRecord<Key>& a, TextView, const KeyedRecord<Key>& b) {
    return (a.key > b.key) - (a.key < b.key);
  }
};

// Length in UTF-16 code units.
struct LengthKey {
  using Key = std::uint32_t;
  static Key make(TextView first) { return static_cast<Key>(first.size()); }
  static std::uint32_t rank(Key key) { return key; }
  static int compare(TextView, const KeyedRecord<Key>& a, TextView, const KeyedRecord<Key>& b) {
    return (a.key > b.key) - (a.key < b.key);
  }
};

// Key kinds with a 32-bit unsigned rank are ordered by a least-significant-digit radix
// sort, which is stable by construction and much cheaper than comparison sorting.
template <typename KeyOrder>
concept RankedKey = requires(typename KeyOrder::Key key) {
  { KeyOrder::rank(key) } -> std::same_as<std::uint32_t>;
};

// Stably scatters [from, from + n) into `to` by the digit (rank >> shift) of kBuckets
// values, `counts` holding how many records have each digit; false, with nothing moved,
// when one digit is shared by all.
template <typename KeyOrder, std::size_t kBuckets, typename Record>
bool scatterByDigit(const Record* from, Record* to, std::size_t n, unsigned shift,
                    std::uint32_t* counts) {
  if (std::find(counts, counts + kBuckets, n) != counts + kBuckets) return false;
  std::uint32_t sum = 0;
  for (std::size_t b = 0; b < kBuckets; ++b) sum += std::exchange(counts[b], sum);
  for (std::size_t i = 0; i < n; ++i) {
    to[counts[(KeyOrder::rank(from[i].key) >> shift) & (kBuckets - 1)]++] = from[i];
  }
  return true;
}

// Orders [in, in + n) stably by the lowest kDigits * kBits bits of the rank, least
// significant digit first, every digit counted in one reading pass; returns where the
// result ended up, `in` or `out`.
template <typename KeyOrder, unsigned kBits, unsigned kDigits, typename Record>
Record* lowDigitPasses(Record* in, Record* out, std::size_t n) {
  constexpr std::size_t kBuckets = std::size_t{1} << kBits;
  std::uint32_t counts[kDigits][kBuckets] = {};
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t rank = KeyOrder::rank(in[i].key);
    for (unsigned d = 0; d < kDigits; ++d) ++counts[d][(rank >> (d * kBits)) & (kBuckets - 1)];
  }
  for (unsigned d = 0; d < kDigits; ++d) {
    if (scatterByDigit<KeyOrder, kBuckets>(in, out, n, d * kBits, counts[d])) std::swap(in, out);
  }
  return in;
}

// Orders `records` stably by rank(key). An array that fits in cache takes three passes
// of 11 bits, cheaper there than four over 256 buckets. A longer one is first split by
// its top byte into 256 groups, each then ordered on its own in 8-bit passes: that pass
// is the only one over the whole array, a group fits in cache, and 256 buckets keep the
// scattered writes of every pass within what the TLB holds. Passes where all keys share
// a digit are skipped; short groups use insertion.
template <typename KeyOrder, typename Record>
void radixSort(std::vector<Record>& records) {
  constexpr std::size_t kBuckets = 256;
  constexpr unsigned kTopShift = 24;
  constexpr std::size_t kInsertionLimit = 32;
  constexpr std::size_t kGroupingThreshold = std::size_t{1} << 16;

  const std::size_t n = records.size();
  std::vector<Record> scratch(n);
  if (n < kGroupingThreshold) {
    if (lowDigitPasses<KeyOrder, 11, 3>(records.data(), scratch.data(), n) != records.data()) {
      records.swap(scratch);
    }
    return;
  }
  std::uint32_t groups[kBuckets + 1] = {};
  std::uint32_t counts[kBuckets];
  // Group boundaries by the top digit, then the grouping pass itself.
  for (const Record& r : records) ++groups[(KeyOrder::rank(r.key) >> kTopShift) + 1];
  for (std::size_t b = 1; b <= kBuckets; ++b) groups[b] += groups[b - 1];
  for (std::size_t b = 0; b < kBuckets; ++b) counts[b] = groups[b + 1] - groups[b];
  Record* grouped = records.data();
  Record* other = scratch.data();
  if (scatterByDigit<KeyOrder, kBuckets>(records.data(), scratch.data(), n, kTopShift, counts)) {
    std::swap(grouped, other);
  }

  for (std::size_t b = 0; b < kBuckets; ++b) {
    Record* const group = grouped + groups[b];
    const std::size_t size = groups[b + 1] - groups[b];
    if (size < kInsertionLimit) {
      for (std::size_t i = 1; i < size; ++i) {
        const Record r = group[i];
        std::size_t j = i;
        for (; j > 0 && KeyOrder::rank(group[j - 1].key) > KeyOrder::rank(r.key); --j)
          group[j] = group[j - 1];
        group[j] = r;
      }
      continue;
    }
    // The group ends where its last pass put it; gather it into `grouped`.
    const Record* sorted = lowDigitPasses<KeyOrder, 8, 3>(group, other + groups[b], size);
    if (sorted != group) std::copy(sorted, sorted + size, group);
  }
  if (grouped != records.data()) records.swap(scratch);
}

// Below this many records the radix sort's tables cost more than comparison sorting.
inline constexpr std::size_t kRadixSortThreshold = 1024;

// Text keys: most significant digit first, 8 bits at a time over the key's prefix. Each
// level scatters one group stably by one digit, so every pass after the first few works
// on groups that fit in cache; digits the whole group shares (the high byte of ASCII
// text, say) are skipped. Small groups, and groups whose whole prefix is equal, are
// finished by comparison. `less` must order every pair of records
// (ties broken by reading position), so any comparison sort keeps the order stable.
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

template <typename Record, typename Less>
void prefixRadixSort(Record* records, Record* scratch, std::size_t n, const Less& less) {
  if (n <= kInsertionSortLimit) return insertionSort(records, n, less);
  // The digit is the highest byte in which the group's keys differ, found in one pass:
  // counting a digit that every record shares (the high bytes of text) would be a pass
  // of increments to one counter, each waiting for the one before.
  std::uint64_t differ = 0;
  const std::uint64_t first = records[0].key;
  for (std::size_t i = 1; i < n; ++i) differ |= records[i].key ^ first;
  if (differ == 0) return std::sort(records, records + n, less);  // whole prefixes equal
  const int shift = (63 - std::countl_zero(differ)) & ~7;
  // Only the digits between the lowest and the highest present are visited: text
  // spans a narrow band of each byte.
  std::uint32_t ends[256] = {};
  std::uint32_t lo = 255;
  std::uint32_t hi = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const auto d = static_cast<std::uint32_t>(records[i].key >> shift) & 0xFF;
    ++ends[d];
    lo = d < lo ? d : lo;
    hi = d > hi ? d : hi;
  }
  std::uint32_t sum = 0;
  for (std::uint32_t d = lo; d <= hi; ++d) sum += std::exchange(ends[d], sum);  // starts
  std::copy(records, records + n, scratch);
  for (std::size_t i = 0; i < n; ++i) {
    records[ends[(scratch[i].key >> shift) & 0xFF]++] = scratch[i];
  }
  // Each bucket's end is the next one's start.
  std::uint32_t begin = 0;
  for (std::uint32_t d = lo; d <= hi; ++d) {
    const std::uint32_t end = ends[d];
    if (end - begin > 1) {
      prefixRadixSort(records + begin, scratch + begin, end - begin, less);
    }
    begin = end;
  }
}

// Scratch space of the text sort. A command that orders two lists in one request
// passes the same one to both, so that the buffer is allocated, and its pages first
// touched, once. Left uninitialised: the sort writes every record before reading it.
template <typename Record>
class SortScratch {
 public:
  Record* atLeast(std::size_t n) {
    if (n > size_) {
      release();  // before allocating, so that a failure leaves no stale size
      buffer_.reset(new Record[n]);
      size_ = n;
    }
    return buffer_.get();
  }
  // Frees the buffer once no more lists are to be ordered.
  void release() {
    buffer_.reset();
    size_ = 0;
  }

 private:
  std::unique_ptr<Record[]> buffer_;
  std::size_t size_ = 0;
};

template <typename KeyOrder>
class OrderedStore {
 public:
  using Record = KeyedRecord<typename KeyOrder::Key>;
  using Scratch = SortScratch<Record>;

  // Reads every item of `list` (which must outlive the store), computing keys as they
  // arrive, then orders the records. A key that does not convert throws ConvExcep and
  // leaves the store unordered.
  explicit OrderedStore(TextView list) : OrderedStore(list, Scratch()) {}
  OrderedStore(TextView list, Scratch&& scratch) : OrderedStore(list, scratch) {}
  OrderedStore(TextView list, Scratch& scratch) : list_(list) {
    const KeyedListReader reader(list);
    records_.reserve(reader.itemBound());
    reader.read([this](const KeyedItem& item) {
      records_.push_back(Record{KeyOrder::make(item.first(list_)), item});
    });
    // Ties broken by reading position give the stable order without a merge buffer.
    const auto less = [this](const Record& a, const Record& b) {
      const int c = KeyOrder::compare(list_, a, list_, b);
      return c != 0 ? c < 0 : a.item.position < b.item.position;
    };
    if constexpr (RankedKey<KeyOrder>) {
      if (records_.size() >= kRadixSortThreshold) {
        radixSort<KeyOrder>(records_);
      } else {
        std::sort(records_.begin(), records_.end(), less);
      }
    } else if constexpr (std::is_same_v<KeyOrder, StringKey>) {
      Record* const spare =
          records_.size() > kInsertionSortLimit ? scratch.atLeast(records_.size()) : nullptr;
      prefixRadixSort(records_.data(), spare, records_.size(), less);
    } else {
      std::sort(records_.begin(), records_.end(), less);
    }
  }

  TextView list() const { return list_; }
  const std::vector<Record>& records() const { return records_; }

  // Compares the keys of a record of this store and one of `other`.
  int compare(const Record& a, const OrderedStore& other, const Record& b) const {
    return KeyOrder::compare(list_, a, other.list_, b);
  }
  bool sameKey(const Record& a, const Record& b) const {
    return KeyOrder::compare(list_, a, list_, b) == 0;
  }

 private:
  TextView list_;
  std::vector<Record> records_;
};

}  // namespace orrery
