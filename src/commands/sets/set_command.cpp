#include "commands/sets/set_command.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "commands/framework/options.h"
#include "commands/sort/item_writer.h"
#include "commands/sort/ordered_store.h"
#include "protocol/prefetch.h"

namespace orrery {
namespace {

using Store = OrderedStore<StringKey>;

// An item the merge keeps: its position in the first or the second store.
struct Chosen {
  std::uint32_t index;
  bool fromSecond;
};

// The most items the rule can keep.
std::size_t keptBound(const MergeRule& rule, const Store& first, const Store& second) {
  return (rule.firstOnly || rule.equal ? first.records().size() : 0) +
         (rule.secondOnly ? second.records().size() : 0);
}

// Walks both ordered lists with one cursor each, comparing keys only, and calls
// `keep(index, fromSecond)` for the items the rule keeps, in result order.
template <typename Keep>
void merge(const MergeRule& rule, const Store& first, const Store& second, Keep&& keep) {
  const auto a = first.records();
  const auto b = second.records();
  std::size_t i = 0;
  std::size_t j = 0;
  // Equal keys compare whole texts, which lie scattered over the list texts: fetch
  // them a few records ahead.
  constexpr std::size_t kAhead = 8;
  while (i < a.size() && j < b.size()) {
    if (i + kAhead < a.size()) prefetchForRead(first.list().data() + a[i + kAhead].offset);
    if (j + kAhead < b.size()) prefetchForRead(second.list().data() + b[j + kAhead].offset);
    const int c = first.compare(a[i], second, b[j]);
    if (c < 0) {
      if (rule.firstOnly) keep(i, false);
      ++i;
    } else if (c > 0) {
      if (rule.secondOnly) keep(j, true);
      ++j;
    } else {
      if (rule.equal) keep(i, false);
      ++i;
      ++j;
    }
  }
  if (rule.firstOnly) {
    for (; i < a.size(); ++i) keep(i, false);
  }
  if (rule.secondOnly) {
    for (; j < b.size(); ++j) keep(j, true);
  }
}

// Both lists in one store: a run of equal keys holds the first list's items, then the
// second's, and the merge pairs them off in that order. So the kept items are found
// run by run and packed in place, and the Values are written over the records.
void writeKept(const MergeRule& rule, Store both, ItemWriter& writer) {
  both.keepWithinKeys([&](const Store::Record* run, std::size_t size, Store::Record* out) {
    if (size == 1) {  // most keys: an item of one list alone
      if (both.fromSecond(*run) ? rule.secondOnly : rule.firstOnly) *out++ = *run;
      return out;
    }
    // The run is firstCount items of the first list, then the second's; the first
    // `paired` of each side are paired off, the rest are the side's own.
    std::size_t firstCount = 0;
    while (firstCount < size && !both.fromSecond(run[firstCount])) ++firstCount;
    const std::size_t paired = std::min(firstCount, size - firstCount);
    for (std::size_t i = 0; i < size; ++i) {
      const bool first = i < firstCount;
      const bool keep = (first ? i : i - firstCount) < paired
                            ? first && rule.equal
                            : (first ? rule.firstOnly : rule.secondOnly);
      if (keep) *out++ = run[i];
    }
    return out;
  });
  writer.reuseRecordsOf(both);
  const auto records = both.records();
  writer.writeAll(records.size(), [&](std::size_t k) { return both.chosen(records[k]); });
}

}  // namespace

bool SetCommand::execute(SaoriRequest& record) {
  try {
    const TextView options = record.argumentCount() > 3 ? TextView(record.argument(3)) : TextView();
    const ValueKind kind = valueKindPreferringSecondPart(options);
    ItemWriter writer(record, kind, hasOption(options, optionLetter(u"union", u's')));
    const TextView firstList = record.argument(1);
    const TextView secondList = record.argument(2);
    if (Store::fitsTogether(firstList, secondList)) {
      writeKept(rule_, Store(firstList, secondList, record.scratch()), writer);
      return true;
    }
    // Lists too long to share one store's offsets (gigabytes of text): one store each,
    // merged.
    const Store first(firstList, record.scratch());
    const Store second(secondList, record.scratch());
    std::vector<Chosen> chosen;
    chosen.reserve(keptBound(rule_, first, second));
    merge(rule_, first, second, [&](std::size_t index, bool fromSecond) {
      chosen.push_back(Chosen{static_cast<std::uint32_t>(index), fromSecond});
    });
    writer.writeAll(chosen.size(), [&](std::size_t k) {
      const Store& store = chosen[k].fromSecond ? second : first;
      return ChosenItem::of(store.list(), store.records()[chosen[k].index]);
    });
    return true;
  } catch (const ConvExcep&) {
    // Only a list too long to index gets here.
    record.status = SaoriRequest::kBadRequest;
    return false;
  }
}

}  // namespace orrery
