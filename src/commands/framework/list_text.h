#pragma once
// The list convention: items separated by ListSeparator inside one argument text, and
// the joined form written into Result (every item followed by one ListSeparator).
#include <vector>

#include "protocol/text.h"
#include "protocol/value_list.h"

namespace orrery {

// Calls `onItem(TextView)` for each item of `text`. Every separator ends an item, an
// empty one included; what follows the last separator is an item only when non-empty.
template <typename OnItem>
void forEachListItem(TextView text, OnItem&& onItem) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kListSeparator) {
      onItem(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < text.size()) onItem(text.substr(start));
}

// Number of items forEachListItem would deliver.
std::size_t countListItems(TextView text);

// Appends the items of `text` to `list`. The views point into `text`.
void splitList(TextView text, std::vector<TextView>& list);
// Appends the items of `text` to `list` as views: `text` must outlive the list (a
// request argument does).
void splitList(TextView text, ValueList& list);

// Writes items into a result text in the joined form. Never clears the target, so
// two lists written through it follow one another.
class ListJoiner {
 public:
  explicit ListJoiner(Text& target) : target_(target) {}
  ListJoiner& operator=(TextView item) {
    target_.append(item);
    target_.push_back(kListSeparator);
    return *this;
  }
  // Output-iterator shape, so standard algorithms can write through it.
  ListJoiner& operator*() { return *this; }
  ListJoiner& operator++() { return *this; }
  ListJoiner& operator++(int) { return *this; }

 private:
  Text& target_;
};

}  // namespace orrery
