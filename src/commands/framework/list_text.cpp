#include "commands/framework/list_text.h"

namespace orrery {

std::size_t countListItems(TextView text) {
  const std::size_t separators = countUnit(text, kListSeparator);
  // The text after the last separator is one more item when it is not empty.
  const bool tail = !text.empty() && text.back() != kListSeparator;
  return separators + (tail ? 1 : 0);
}

std::size_t ListItemBatches::next(TextView* out, std::size_t capacity) {
  constexpr std::size_t kBlock = 256;
  std::uint32_t found[kBlock];
  const char16_t* const data = text_.data();
  const std::size_t size = text_.size();
  std::size_t n = 0;
  while (n < capacity && scan_ < size) {
    const std::size_t end = size - scan_ < kBlock ? size : scan_ + kBlock;
    std::size_t separators = 0;
    for (std::size_t i = scan_; i < end; ++i) {
      found[separators] = static_cast<std::uint32_t>(i - scan_);
      separators += data[i] == kListSeparator ? 1 : 0;
    }
    std::size_t k = 0;
    for (; k < separators && n < capacity; ++k) {
      const std::size_t at = scan_ + found[k];
      out[n++] = text_.substr(start_, at - start_);
      start_ = at + 1;
    }
    // A full batch stops inside the block: the next call searches again from there.
    scan_ = k < separators ? start_ : end;
  }
  if (n < capacity && scan_ >= size && start_ < size) {
    out[n++] = text_.substr(start_);
    start_ = size;
  }
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
