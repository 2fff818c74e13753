#include "commands/sort/sort_command.h"

#include "commands/framework/command_table.h"
#include "commands/framework/options.h"
#include "commands/sort/item_writer.h"
#include "commands/sort/ordered_store.h"
#include "commands/sort/sort_key.h"

namespace orrery {
namespace {

struct SortOptions {
  KeyKind key = KeyKind::kInteger;
  ValueKind value = ValueKind::kFirstPart;
  bool joined = false;
  bool reversed = false;
};

SortOptions readOptions(TextView text) {
  SortOptions o;
  o.key = sortKeyKind(text);
  // Whole items win over second parts here; the set commands rank them the other way.
  if (hasOption(text, optionLetter(u"sort", u'P'))) {
    o.value = ValueKind::kPair;
  } else if (hasOption(text, optionLetter(u"sort", u'V'))) {
    o.value = ValueKind::kSecondPart;
  } else if (hasOption(text, optionLetter(u"sort", u'A'))) {
    o.value = ValueKind::kIndex;
  }
  o.joined = hasOption(text, optionLetter(u"sort", u's'));
  o.reversed = hasOption(text, optionLetter(u"sort", u'R'));
  return o;
}

template <typename Key, bool kPositions>
void sortList(TextView list, const SortOptions& options, SaoriRequest& record) {
  // Every key is read before anything is written, so a failing conversion leaves the
  // record untouched.
  OrderedStore<Key, kPositions> store(list, record.scratch());
  // Reversal is the exact reverse of the stored order, equal keys included.
  if (options.reversed) store.reverse();
  const auto records = store.records();
  ItemWriter writer(record, options.value, options.joined);
  writer.reuseRecordsOf(store);
  writer.writeAll(records.size(), [&](std::size_t k) { return ChosenItem::of(list, records[k]); });
}

// Reading positions are kept in the records only when they are written.
template <typename Key>
void sortList(TextView list, const SortOptions& options, SaoriRequest& record) {
  if (options.value == ValueKind::kIndex) {
    sortList<Key, true>(list, options, record);
  } else {
    sortList<Key, false>(list, options, record);
  }
}

}  // namespace

bool SortCommand::execute(SaoriRequest& record) {
  try {
    // The options are decided before the list is read: reading an absent Argument1
    // adds it, which must not make Argument2 count.
    const SortOptions options =
        readOptions(record.argumentCount() >= 3 ? TextView(record.argument(2)) : TextView());
    const TextView list = record.argument(1);
    switch (options.key) {
      case KeyKind::kString:
        sortList<StringKey>(list, options, record);
        break;
      case KeyKind::kFloat:
        sortList<FloatKey>(list, options, record);
        break;
      case KeyKind::kLength:
        sortList<LengthKey>(list, options, record);
        break;
      case KeyKind::kInteger:
        sortList<IntegerKey>(list, options, record);
        break;
    }
    return true;
  } catch (const ConvExcep&) {
    record.status = SaoriRequest::kBadRequest;
    return false;
  }
}

}  // namespace orrery
