#pragma once
// The Values of a response: an ordered list of texts kept in one buffer, so that a
// command writing a million values makes a handful of allocations, not a million.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
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
    spans_.push_back(Span{offsetOfNext(value.size()), static_cast<std::uint32_t>(value.size())});
    buffer_.append(value);
  }

  // Appends a value written in two pieces with a separator between them, without a
  // temporary: the Pair form of the list commands.
  void pushJoined(TextView first, char16_t separator, TextView second) {
    const std::size_t length = first.size() + 1 + second.size();
    spans_.push_back(Span{offsetOfNext(length), static_cast<std::uint32_t>(length)});
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
  // 32-bit positions halve the bookkeeping of a million values; no request a host can
  // send through a 32-bit length comes near the limit, and past it the request fails
  // as exhausted memory does.
  struct Span {
    std::uint32_t offset;
    std::uint32_t length;
  };

  std::uint32_t offsetOfNext(std::size_t length) const {
    if (buffer_.size() + length > UINT32_MAX) throw std::length_error("values too long");
    return static_cast<std::uint32_t>(buffer_.size());
  }

  Text buffer_;
  std::vector<Span> spans_;
};

}  // namespace orrery
