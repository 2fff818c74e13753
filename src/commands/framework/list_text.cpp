#include "commands/framework/list_text.h"

namespace orrery {

std::size_t countListItems(TextView text) {
  std::size_t n = 0;
  forEachListItem(text, [&](TextView) { ++n; });
  return n;
}

void splitList(TextView text, std::vector<TextView>& list) {
  list.reserve(list.size() + countListItems(text));
  forEachListItem(text, [&](TextView item) { list.push_back(item); });
}

void splitList(TextView text, ValueList& list) {
  list.reserveAdditional(countListItems(text), 0);
  forEachListItem(text, [&](TextView item) { list.pushView(item); });
}

}  // namespace orrery
