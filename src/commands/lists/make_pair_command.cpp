#include "commands/lists/make_pair_command.h"

#include "commands/framework/command_table.h"
#include "commands/framework/list_text.h"
#include "commands/framework/options.h"

namespace orrery {

namespace {

struct ListShape {
  std::size_t items;
  std::size_t codeUnits;  // of all items, separators not counted
};

ListShape shapeOf(TextView list) {
  std::size_t separators = 0;
  for (const char16_t c : list) separators += c == kListSeparator ? 1 : 0;
  const bool tail = !list.empty() && list.back() != kListSeparator;
  return {separators + (tail ? 1 : 0), list.size() - separators};
}

}  // namespace

bool MakePairCommand::execute(SaoriRequest& record) {
  const TextView options = record.argumentCount() > 3 ? TextView(record.argument(3)) : TextView();
  const TextView firstList = record.argument(1);
  const TextView secondList = record.argument(2);
  const ListShape first = shapeOf(firstList);
  const ListShape second = shapeOf(secondList);
  if (first.items != second.items) {
    record.status = SaoriRequest::kBadRequest;
    return false;
  }

  // The two lists are walked side by side a batch at a time, so no list of all items
  // is built.
  const std::size_t codeUnits = first.codeUnits + first.items + second.codeUnits;
  const bool joined = hasOption(options, optionLetter(u"make_pair", u's'));
  if (joined) {
    record.result.reserve(record.result.size() + codeUnits + first.items);
  } else {
    record.values.reservePairs(first.items);
  }
  constexpr std::size_t kBatch = 256;
  TextView firsts[kBatch];
  TextView seconds[kBatch];
  ListItemBatches firstItems(firstList);
  ListItemBatches secondItems(secondList);
  while (const std::size_t n = firstItems.next(firsts, kBatch)) {
    secondItems.next(seconds, n);  // as many: the counts are equal
    for (std::size_t i = 0; i < n; ++i) {
      if (joined) {
        Text& result = record.result;
        result.append(firsts[i]);
        result.push_back(kPairSeparator);
        result.append(seconds[i]);
        result.push_back(kListSeparator);
      } else {
        record.values.pushPair(firsts[i], seconds[i]);
      }
    }
  }
  return true;
}

}  // namespace orrery
