#pragma once
// The module's own large buffers in bulk memory (platform/bulk_memory.h), whose large
// pages fault once where plain ones fault hundreds of times: the allocator of its texts,
// which puts there a text of platform::kBulkFrom or more (in practice the UTF-16 copy of
// a request past a few thousand items) and takes smaller ones from the heap as usual,
// and regions held directly.
#include <cstddef>
#include <limits>
#include <memory>
#include <new>

#include "platform/bulk_memory.h"

namespace orrery {

// Bulk memory owned, returned whole when released.
struct BulkRelease {
  std::size_t bytes = 0;
  void operator()(std::byte* region) const noexcept { platform::freeBulk(region, bytes); }
};
using BulkRegion = std::unique_ptr<std::byte[], BulkRelease>;

template <typename T>
struct TextAllocator {
  using value_type = T;

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

  // True when room for `n` elements goes to bulk memory.
  static bool bulk(std::size_t n) noexcept { return n >= platform::kBulkFrom / sizeof(T); }
};

}  // namespace orrery
