#pragma once
// Copies test input into a heap block of exactly its size, so that a converter that
// reads one byte past the end trips the address sanitizer.
#include <cstring>
#include <memory>
#include <string_view>

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

}  // namespace orrery::test
