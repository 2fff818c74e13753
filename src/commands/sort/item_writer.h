#pragma once
// Writes the output text of each chosen item, either as one Value per item or joined
// into Result. Used in two passes: measure every item, reserve once, then write.
#include <cstdint>

#include "commands/framework/command_table.h"
#include "commands/framework/options.h"
#include "commands/sort/keyed_list_reader.h"
#include "protocol/decimal_format.h"
#include "protocol/prefetch.h"
#include "protocol/saori_request.h"

namespace orrery {

// Which text of an item is written.
enum class ValueKind {
  kFirstPart,
  kSecondPart,
  kPair,   // first part, PairSeparator, second part (the separator always written)
  kIndex,  // the item's reading position in decimal
};

// The value kind of unique and the set commands: there "V" wins over "P", the
// opposite of sort's priority.
// They share their letters, so unique's row stands for all five.
static_assert([] {
  for (TextView name : {u"intersection", u"difference", u"union", u"symmetric_difference"}) {
    if (findCommandShape(name)->letters != findCommandShape(u"unique")->letters) return false;
  }
  return true;
}());
inline ValueKind valueKindPreferringSecondPart(TextView options) {
  if (hasOption(options, optionLetter(u"unique", u'V'))) return ValueKind::kSecondPart;
  if (hasOption(options, optionLetter(u"unique", u'P'))) return ValueKind::kPair;
  return ValueKind::kFirstPart;
}

// An item chosen for output, where it lies in the list text it was read from.
struct ChosenItem {
  TextView list;
  std::uint32_t offset;
  std::uint32_t firstLength;
  std::uint32_t position;  // read only by index writers

  template <typename Record>
  static ChosenItem of(TextView list, const Record& r) {
    return {list, r.offset, r.firstLength, r.position()};
  }

  TextView first() const { return list.substr(offset, firstLength); }
  bool hasPairSeparator() const {
    const std::size_t at = std::size_t{offset} + firstLength;
    return at < list.size() && list[at] == kPairSeparator;
  }
  // What follows the first PairSeparator up to the end of the item; empty without one.
  // Found again here rather than kept, so that records stay small.
  TextView second() const {
    if (!hasPairSeparator()) return TextView();
    return upToItemEnd(std::size_t{offset} + firstLength + 1);
  }
  // The whole item, which is its Pair form when it holds a PairSeparator.
  TextView whole() const { return upToItemEnd(offset); }

 private:
  // The text from `at` to the end of the item (its ListSeparator, or the list's end).
  TextView upToItemEnd(std::size_t at) const {
    const std::size_t end = list.find(kListSeparator, at);
    return list.substr(at, (end == TextView::npos ? list.size() : end) - at);
  }
};

class ItemWriter {
 public:
  ItemWriter(SaoriRequest& record, ValueKind kind, bool joined)
      : record_(record), kind_(kind), joined_(joined) {}

  // Writes `count` items, `itemAt(i)` giving the i-th as a ChosenItem: all are measured
  // first so that the target is reserved once.
  template <typename ItemAt>
  void writeAll(std::size_t count, ItemAt&& itemAt) {
    if (writesViews()) {
      count_ += count;
    } else {
      for (std::size_t i = 0; i < count; ++i) measure(itemAt(i));
    }
    reserve();
    // Views of first parts, most answers, are made without reading any text.
    if (kind_ == ValueKind::kFirstPart && !joined_) {
      record_.values.pushViews(count, [&](std::size_t i) { return itemAt(i).first(); });
      return;
    }
    // Items come in key order, scattered over their list text; where their text is
    // read here (copied, or searched for a second part), fetch a few ahead (views of
    // first parts are read later, by the response builder).
    const bool readsText = kind_ == ValueKind::kPair || kind_ == ValueKind::kSecondPart ||
                           (joined_ && kind_ == ValueKind::kFirstPart);
    for (std::size_t i = 0; i < count; ++i) {
      if (readsText && i + kPrefetchDistance < count) {
        const ChosenItem ahead = itemAt(i + kPrefetchDistance);
        prefetchForRead(ahead.list.data() + ahead.offset);
      }
      write(itemAt(i));
    }
  }

  static constexpr std::size_t kPrefetchDistance = 16;

  // True when every item becomes a value that views its list text: such values need
  // room for the views only, and no measuring.
  bool writesViews() const {
    return !joined_ && (kind_ == ValueKind::kFirstPart || kind_ == ValueKind::kSecondPart);
  }

  // Lets the Values take over the room of `store`'s records (see lendRecordsTo), for a
  // writeAll whose items are records of that store in ascending order, as many values
  // as items read. Joined output has no values and keeps the room where it is.
  template <typename Store>
  void reuseRecordsOf(Store& store) {
    if (!joined_) store.lendRecordsTo(record_.values);
  }

  void measure(const ChosenItem& item) {
    ++count_;
    switch (kind_) {
      case ValueKind::kFirstPart:
        codeUnits_ += item.firstLength;
        break;
      case ValueKind::kSecondPart:
        codeUnits_ += item.second().size();
        break;
      case ValueKind::kPair:
        // Only a Pair value without its separator in the list text is a copy.
        if (joined_ || !item.hasPairSeparator()) {
          codeUnits_ += item.firstLength + 1 + item.second().size();
        }
        break;
      case ValueKind::kIndex:
        codeUnits_ += decimalDigits(item.position);
        break;
    }
  }

  // Makes room for everything measured so far.
  void reserve() {
    if (joined_) {
      record_.result.reserve(record_.result.size() + codeUnits_ + count_);
    } else {
      // First and second parts, and pairs whose separator is in the list text, are
      // values that view it; only the rest is copied, and measured.
      const bool copied = kind_ == ValueKind::kPair || kind_ == ValueKind::kIndex;
      record_.values.reserveAdditional(count_, copied ? codeUnits_ : 0);
    }
  }

  void write(const ChosenItem& item) {
    if (joined_) {
      Text& out = record_.result;
      switch (kind_) {
        case ValueKind::kFirstPart:
          out.append(item.first());
          break;
        case ValueKind::kSecondPart:
          out.append(item.second());
          break;
        case ValueKind::kPair:
          out.append(item.first());
          out.push_back(kPairSeparator);
          out.append(item.second());
          break;
        case ValueKind::kIndex:
          appendUnsigned(out, item.position);
          break;
      }
      out.push_back(kListSeparator);
      return;
    }
    ValueList& values = record_.values;
    switch (kind_) {
      case ValueKind::kFirstPart:
        values.pushView(item.first());
        break;
      case ValueKind::kSecondPart:
        values.pushView(item.second());
        break;
      case ValueKind::kPair:
        if (item.hasPairSeparator()) {
          values.pushView(item.whole());
        } else {
          values.pushJoined(item.first(), kPairSeparator, TextView());
        }
        break;
      case ValueKind::kIndex:
        values.push_back(positionText(item.position));
        break;
    }
  }

 private:
  TextView positionText(std::uint32_t position) {
    std::size_t n = sizeof(digits_) / sizeof(digits_[0]);
    do {
      digits_[--n] = static_cast<char16_t>(u'0' + position % 10);
      position /= 10;
    } while (position != 0);
    return TextView(digits_ + n, sizeof(digits_) / sizeof(digits_[0]) - n);
  }

  SaoriRequest& record_;
  ValueKind kind_;
  bool joined_;
  std::size_t count_ = 0;
  std::size_t codeUnits_ = 0;
  char16_t digits_[10];
};

}  // namespace orrery
