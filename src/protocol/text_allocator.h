#pragma once
// The allocator of the module's texts. A text of a megabyte or more, in practice the
// UTF-16 copy of a large request, lives in bulk memory (platform/bulk_memory.h), whose
// large pages fault once where plain ones fault hundreds of times; smaller texts come
// from the heap as usual.
#include <cstddef>
#include <limits>
#include <memory>
#include <new>

#include "platform/bulk_memory.h"

namespace orrery {

template <typename T>
struct TextAllocator {
  using value_type = T;
  static constexpr std::size_t kBulkBytes = std::size_t{1} << 20;

  TextAllocator() noexcept = default;
  template <typename U>
  constexpr TextAllocator(const TextAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (!bulk(n)) return std::allocator<T>().allocate(n);
    if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
    void* region = platform::allocateBulk(n * sizeof(T));
    if (region == nullptr) throw std::bad_alloc();
    return static_cast<T*>(region);
  }
  void deallocate(T* p, std::size_t n) noexcept {
    if (bulk(n)) {
      platform::freeBulk(p, n * sizeof(T));
    } else {
      std::allocator<T>().deallocate(p, n);
    }
  }

  friend bool operator==(const TextAllocator&, const TextAllocator&) noexcept { return true; }

 private:
  static bool bulk(std::size_t n) noexcept { return n >= kBulkBytes / sizeof(T); }
};

}  // namespace orrery
