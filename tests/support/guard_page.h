#pragma once
// Buffers that end exactly where an inaccessible page begins, so that reading one unit
// past the length crashes the test. Linux only; elsewhere kGuardPages is false.
#include <cstddef>
#include <cstring>
#include <string_view>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace orrery::test {

#if defined(__linux__)
inline constexpr bool kGuardPages = true;

class GuardedBuffer {
 public:
  // Room for `bytes` bytes; the last of them is the last readable byte.
  explicit GuardedBuffer(std::size_t bytes) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t pages = (bytes + page - 1) / page + 1;
    mappedBytes_ = pages * page;
    void* base =
        mmap(nullptr, mappedBytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return;
    base_ = static_cast<char*>(base);
    if (mprotect(base_ + mappedBytes_ - page, page, PROT_NONE) != 0) return;
    data_ = base_ + mappedBytes_ - page - bytes;
    size_ = bytes;
  }
  ~GuardedBuffer() {
    if (base_ != nullptr) munmap(base_, mappedBytes_);
  }
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  bool ok() const { return data_ != nullptr; }
  void* data() const { return data_; }
  bool owns(const void* p) const { return p == data_; }

 private:
  char* base_ = nullptr;
  std::size_t mappedBytes_ = 0;
  char* data_ = nullptr;
  std::size_t size_ = 0;
};

// Copies `units` into a guarded buffer and returns a view of the copy, which ends at the
// guard page.
template <typename Unit>
std::basic_string_view<Unit> guardedCopy(GuardedBuffer& buffer,
                                         std::basic_string_view<Unit> units) {
  if (!units.empty()) std::memcpy(buffer.data(), units.data(), units.size() * sizeof(Unit));
  return std::basic_string_view<Unit>(static_cast<const Unit*>(buffer.data()), units.size());
}
#else
inline constexpr bool kGuardPages = false;
#endif

}  // namespace orrery::test
