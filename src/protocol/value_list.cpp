#include "protocol/value_list.h"

namespace orrery {
namespace {

std::size_t doubled(std::size_t size) { return size < 8 ? 8 : size * 2; }

}  // namespace

void ValueList::growEntries() {
  withArrays([&](auto& firsts, auto&) { firsts.reserve(doubled(size_), size_); });
}

void ValueList::growSeconds() {
  withArrays([&](auto&, auto& seconds) { seconds.reserve(doubled(size_), size_); });
}

ValueList::PackedValue ValueList::copyOf(TextView value) {
  char16_t* p = allocate(value.size());
  value.copy(p, value.size());
  return copied(p, value.size());
}

void ValueList::newChunk(std::size_t codeUnits) {
  const std::size_t size = codeUnits < nextChunk_ ? nextChunk_ : codeUnits;
  if (nextChunk_ < kLargestChunk) nextChunk_ *= 2;
  // Owned before the chunk list grows: if that growth fails, the chunk is released.
  std::unique_ptr<char16_t[]> chunk(new char16_t[size]);
  chunks_.push_back(std::move(chunk));
  free_ = chunks_.back().get();
  room_ = size;
}

// Past 32-bit offsets the copies cannot grow: packViewsOf's bound keeps any request's
// copies below that.
void ValueList::growCopies(std::size_t codeUnits) {
  constexpr std::size_t kMost = UINT32_MAX;
  std::size_t capacity = copiesCapacity_ < kFirstChunk ? kFirstChunk : copiesCapacity_ * 2;
  if (capacity - copiesSize_ < codeUnits) capacity = copiesSize_ + codeUnits;
  if (capacity > kMost) capacity = kMost;
  if (capacity - copiesSize_ < codeUnits || codeUnits >= kCopied) throw std::bad_alloc();
  std::unique_ptr<char16_t[]> bigger(new char16_t[capacity]);
  if (copiesSize_ > 0) std::memcpy(bigger.get(), copies_.get(), copiesSize_ * sizeof(char16_t));
  copies_ = std::move(bigger);
  copiesCapacity_ = capacity;
}

}  // namespace orrery
