#pragma once
// Shared pieces of the fuzz targets: a check that stops the run loudly, and a reader
// that turns fuzz bytes into choices (the same bytes always give the same choices).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "protocol/text.h"

namespace orrery::fuzz {

[[noreturn]] inline void checkFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
  std::abort();
}

#define FUZZ_CHECK(condition) \
  ((condition) ? void(0) : ::orrery::fuzz::checkFailed(#condition, __FILE__, __LINE__))

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool exhausted() const { return pos_ >= size_; }
  // The next byte, or 0 once the input is used up.
  std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  // A choice among n (n > 0) options.
  std::uint32_t below(std::uint32_t n) {
    std::uint32_t v = byte();
    if (n > 256) v = (v << 8) | byte();
    return v % n;
  }
  std::uint32_t u32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
    return v;
  }
  // The input from here on as UTF-16 code units (little-endian pairs), all consumed.
  Text restAsText() {
    Text text;
    for (; pos_ + 1 < size_; pos_ += 2) {
      text.push_back(static_cast<char16_t>(data_[pos_] | (data_[pos_ + 1] << 8)));
    }
    pos_ = size_;
    return text;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// UTF-16 code units of `data` as little-endian pairs; a last odd byte is dropped.
inline Text unitsOf(const std::uint8_t* data, std::size_t size) {
  return FuzzInput(data, size).restAsText();
}

}  // namespace orrery::fuzz
