#include "commands/lists/shuffle_command.h"

#include <cstdint>
#include <vector>

#include "commands/framework/list_text.h"

namespace orrery {
namespace {

// The loop runs over small (offset, length) records into the list text, which keeps
// its working set small; the Values then view the items in their new order, so no
// text is copied.
template <typename Offset>
void shuffleInto(RandomSource& source, TextView list, ValueList& values) {
  struct Item {
    Offset offset;
    Offset length;
  };
  std::vector<Item> items;
  items.reserve(countListItems(list));
  forEachListItem(list, [&](TextView item) {
    items.push_back(
        Item{static_cast<Offset>(item.data() - list.data()), static_cast<Offset>(item.size())});
  });
  permute(
      source, items.size(), [&](std::size_t k, std::size_t r) { std::swap(items[k], items[r]); },
      [&](std::size_t r) { prefetchForWrite(&items[r]); });
  values.reserveAdditional(items.size(), 0);
  for (const Item& item : items) values.pushView(list.substr(item.offset, item.length));
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
