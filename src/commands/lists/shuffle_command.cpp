#include "commands/lists/shuffle_command.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "commands/framework/list_text.h"
#include "commands/framework/prefetch.h"

namespace orrery {
namespace {

// How far ahead of the copy the next item's text is fetched.
constexpr std::size_t kGatherAhead = 16;

// The loop runs over small (offset, length) records into the list text; the texts are
// then copied once, in their new order, fetched ahead of the copy. Moving the records
// rather than the texts keeps the loop's working set small, and the Values come out in
// order, so the response is written sequentially.
template <typename Offset>
void shuffleInto(RandomSource& source, TextView list, ValueList& values) {
  struct Item {
    Offset offset;
    Offset length;
  };
  std::vector<Item> items;
  items.reserve(static_cast<std::size_t>(std::count(list.begin(), list.end(), kListSeparator)) + 1);
  forEachListItem(list, [&](TextView item) {
    items.push_back(
        Item{static_cast<Offset>(item.data() - list.data()), static_cast<Offset>(item.size())});
  });
  permute(
      source, items.size(), [&](std::size_t k, std::size_t r) { std::swap(items[k], items[r]); },
      [&](std::size_t r) { prefetchForWrite(&items[r]); });

  values.reserveAdditional(items.size(), list.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i + kGatherAhead < items.size()) {
      prefetchForRead(list.data() + items[i + kGatherAhead].offset);
    }
    values.push_back(list.substr(items[i].offset, items[i].length));
  }
}

}  // namespace

bool ShuffleCommand::execute(SaoriRequest& record) {
  // Any text is a list, so there is nothing to refuse.
  const TextView list = record.argument(1);
  if (list.size() <= UINT32_MAX) {
    shuffleInto<std::uint32_t>(source_, list, record.values);
  } else {
    shuffleInto<std::size_t>(source_, list, record.values);
  }
  return true;
}

}  // namespace orrery
