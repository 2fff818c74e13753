#pragma once
// Copies test input into a heap block of exactly its size, so that a converter that
// reads one byte past the end trips the address sanitizer.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string_view>

#include "protocol/text.h"

namespace orrery::test {

template <typename Char>
class ExactBuffer {
 public:
  explicit ExactBuffer(std::basic_string_view<Char> data)
      : size_(data.size()), data_(new Char[data.size()]) {
    if (size_ != 0) std::memcpy(data_.get(), data.data(), size_ * sizeof(Char));
  }
  std::basic_string_view<Char> view() const { return {data_.get(), size_}; }

 private:
  std::size_t size_;
  std::unique_ptr<Char[]> data_;
};

// One row of a byte-converter table.
struct ConvertCase {
  const char* name;
  BytesView input;
  BytesView expected;
};

// Runs `convert` on the row's input, held in an exact-size buffer, and expects success
// and exactly the expected bytes.
inline void expectConverts(bool (*convert)(BytesView, Bytes&), const ConvertCase& c) {
  SCOPED_TRACE(c.name);
  const ExactBuffer<char> input(c.input);
  Bytes out;
  EXPECT_TRUE(convert(input.view(), out));
  EXPECT_EQ(out, c.expected);
}

}  // namespace orrery::test
