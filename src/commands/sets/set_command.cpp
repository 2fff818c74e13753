#include "commands/sets/set_command.h"

#include "commands/framework/options.h"
#include "commands/sort/item_writer.h"
#include "commands/sort/ordered_store.h"

namespace orrery {
namespace {

using Store = OrderedStore<StringKey>;

template <typename Copy>
void copyRest(const Store& store, std::size_t from, Copy& copy) {
  const auto& records = store.records();
  for (std::size_t i = from; i < records.size(); ++i) {
    if (i + kPrefetchDistance < records.size()) {
      prefetchItem(store.list(), records[i + kPrefetchDistance].item);
    }
    copy(store, records[i]);
  }
}

// Walks both ordered lists with one cursor each, comparing keys only, and calls
// `copy(store, record)` for each item the rule keeps, in result order.
template <typename Copy>
void merge(const MergeRule& rule, const Store& first, const Store& second, Copy&& copy) {
  const auto& a = first.records();
  const auto& b = second.records();
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (i + kPrefetchDistance < a.size()) prefetchItem(first.list(), a[i + kPrefetchDistance].item);
    if (j + kPrefetchDistance < b.size())
      prefetchItem(second.list(), b[j + kPrefetchDistance].item);
    const int c = first.compare(a[i], second, b[j]);
    if (c < 0) {
      if (rule.firstOnly) copy(first, a[i]);
      ++i;
    } else if (c > 0) {
      if (rule.secondOnly) copy(second, b[j]);
      ++j;
    } else {
      if (rule.equal) copy(first, a[i]);
      ++i;
      ++j;
    }
  }
  if (rule.restOfFirst) copyRest(first, i, copy);
  if (rule.restOfSecond) copyRest(second, j, copy);
}

}  // namespace

bool SetCommand::execute(SaoriRequest& record) {
  try {
    const TextView options = record.argumentCount() > 3 ? TextView(record.argument(3)) : TextView();
    const ValueKind kind = valueKindPreferringSecondPart(options);
    ItemWriter writer(record, kind, hasOption(options, u's'));
    const Store first(record.argument(1));
    const Store second(record.argument(2));
    merge(rule_, first, second, [&](const Store&, const auto& r) { writer.measure(r.item); });
    writer.reserve();
    merge(rule_, first, second,
          [&](const Store& s, const auto& r) { writer.write(s.list(), r.item); });
    return true;
  } catch (const ConvExcep&) {
    // Only a list too long to index gets here.
    record.status = SaoriRequest::kBadRequest;
    return false;
  }
}

}  // namespace orrery
