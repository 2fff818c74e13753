#include "protocol/argument_list.h"

#include <algorithm>

namespace orrery {

std::size_t ArgumentList::lowerBound(std::uint32_t number) const {
  // Requests send their arguments in order, so the end is the common answer.
  if (size_ == 0 || data_[size_ - 1].number < number) return size_;
  const Entry* it = std::lower_bound(data_, data_ + size_, number,
                                     [](const Entry& e, std::uint32_t n) { return e.number < n; });
  return static_cast<std::size_t>(it - data_);
}

const TextView* ArgumentList::find(std::uint32_t number) const {
  const std::size_t i = lowerBound(number);
  return i < size_ && data_[i].number == number ? &data_[i].text : nullptr;
}

TextView ArgumentList::findOrAdd(std::uint32_t number) {
  const std::size_t i = lowerBound(number);
  if (i < size_ && data_[i].number == number) return data_[i].text;
  insertAt(i, Entry{number, TextView()});
  return TextView();
}

void ArgumentList::set(std::uint32_t number, TextView text) {
  const std::size_t i = lowerBound(number);
  if (i < size_ && data_[i].number == number) {
    data_[i].text = text;
  } else {
    insertAt(i, Entry{number, text});
  }
}

void ArgumentList::settle() {
  if (!unsettled_) return;
  unsettled_ = false;
  const auto byNumber = [](const Entry& a, const Entry& b) { return a.number < b.number; };
  std::stable_sort(data_, data_ + size_, byNumber);
  // Of each run of equal numbers the last, the header read latest, is kept.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < size_; ++i) {
    if (i + 1 < size_ && data_[i + 1].number == data_[i].number) continue;
    data_[kept++] = data_[i];
  }
  size_ = kept;
}

void ArgumentList::insertAt(std::size_t index, Entry entry) {
  if (size_ == capacity_) grow();
  std::move_backward(data_ + index, data_ + size_, data_ + size_ + 1);
  data_[index] = entry;
  ++size_;
}

void ArgumentList::grow() {
  const std::size_t capacity = capacity_ * 2;
  std::unique_ptr<Entry[]> bigger(new Entry[capacity]);
  std::copy(data_, data_ + size_, bigger.get());
  heap_ = std::move(bigger);
  data_ = heap_.get();
  capacity_ = capacity;
}

}  // namespace orrery
