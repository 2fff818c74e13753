#pragma once
// The numbered arguments of one request: views of their texts, ascending by number,
// each number once. A few live inside the list itself, so a typical request needs no
// allocation for them; more move to one buffer that doubles as it grows.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "protocol/text.h"

namespace orrery {

class ArgumentList {
 public:
  struct Entry {
    std::uint32_t number = 0;
    TextView text;
  };

  ArgumentList() = default;
  ArgumentList(const ArgumentList&) = delete;
  ArgumentList& operator=(const ArgumentList&) = delete;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const Entry* begin() const { return data_; }
  const Entry* end() const { return data_ + size_; }

  // The text of `number`, or null when it is absent.
  const TextView* find(std::uint32_t number) const;
  // The text of `number`; an absent number is added with empty text.
  TextView findOrAdd(std::uint32_t number);
  // Sets `number` to `text`, replacing an earlier text of that number.
  void set(std::uint32_t number, TextView text);

  // Appends in arrival order, for the parser; settle() must follow before any reading.
  void add(std::uint32_t number, TextView text) {
    if (size_ > 0 && number <= data_[size_ - 1].number) unsettled_ = true;
    if (size_ == capacity_) grow();
    data_[size_++] = Entry{number, text};
  }
  // Orders what add() appended by number; of equal numbers the later one stays.
  void settle();

  // Removes every entry and gives back the memory they took.
  void clear() {
    heap_.reset();
    data_ = inline_;
    size_ = 0;
    capacity_ = kInline;
    unsettled_ = false;
  }

 private:
  static constexpr std::size_t kInline = 4;

  // Index of the first entry whose number is not below `number`.
  std::size_t lowerBound(std::uint32_t number) const;
  void insertAt(std::size_t index, Entry entry);
  void grow();

  Entry inline_[kInline];
  std::unique_ptr<Entry[]> heap_;
  Entry* data_ = inline_;
  std::size_t size_ = 0;
  std::size_t capacity_ = kInline;
  bool unsettled_ = false;
};

}  // namespace orrery
