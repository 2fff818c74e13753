#include "commands/framework/list_text.h"

namespace orrery {

std::size_t countListItems(TextView text) {
  std::size_t separators = 0;
  for (const char16_t c : text) separators += c == kListSeparator ? 1 : 0;
  // The text after the last separator is one more item when it is not empty.
  const bool tail = !text.empty() && text.back() != kListSeparator;
  return separators + (tail ? 1 : 0);
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
