#pragma once
// The Values of a response: an ordered list of texts kept in one buffer, so that a
// command writing a million values makes a handful of allocations, not a million.
#include <cstddef>
#include <utility>
#include <vector>

#include "protocol/text.h"

namespace orrery {

class ValueList {
 public:
  std::size_t size() const { return spans_.size(); }
  bool empty() const { return spans_.empty(); }

  TextView operator[](std::size_t i) const {
    const Span& s = spans_[i];
    return TextView(buffer_).substr(s.offset, s.length);
  }

  void push_back(TextView value) {
    spans_.push_back(Span{buffer_.size(), value.size()});
    buffer_.append(value);
  }

  // Appends a value written in two pieces with a separator between them, without a
  // temporary: the Pair form of the list commands.
  void pushJoined(TextView first, char16_t separator, TextView second) {
    spans_.push_back(Span{buffer_.size(), first.size() + 1 + second.size()});
    buffer_.append(first);
    buffer_.push_back(separator);
    buffer_.append(second);
  }

  // Exchanges two values in place; only their positions in the list move.
  void swap(std::size_t i, std::size_t j) { std::swap(spans_[i], spans_[j]); }

  // Makes room for `count` more values of `codeUnits` more code units in all.
  void reserveAdditional(std::size_t count, std::size_t codeUnits) {
    spans_.reserve(spans_.size() + count);
    buffer_.reserve(buffer_.size() + codeUnits);
  }

  void clear() {
    spans_.clear();
    buffer_.clear();
  }

  // Total code units of all values, for sizing the response once.
  std::size_t totalLength() const {
    std::size_t n = 0;
    for (const Span& s : spans_) n += s.length;
    return n;
  }

 private:
  struct Span {
    std::size_t offset;
    std::size_t length;
  };
  Text buffer_;
  std::vector<Span> spans_;
};

}  // namespace orrery
