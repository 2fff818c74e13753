#include "platform/bulk_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <limits>

#if ORRERY_FAULT_INJECTION
#include "platform/fault_injection.h"
#endif

namespace orrery::platform {
namespace {

// The huge page of x86-64 and of most arm64 kernels. Where the size differs, or the
// kernel gives none, the region is merely aligned more than it needs.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Whole huge pages, so that the last one is huge too; 0 when that does not fit.
std::size_t mappedSize(std::size_t bytes) {
  if (bytes > std::numeric_limits<std::size_t>::max() - 2 * kHugePage) return 0;
  return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

}  // namespace

// Mapped a huge page larger than asked, then trimmed at both ends to a huge page
// boundary: the kernel gives a huge page only to an aligned 2 MiB range.
void* allocateBulk(std::size_t bytes) noexcept {
#if ORRERY_FAULT_INJECTION
  if (faults::allocationFails()) return nullptr;
#endif
  const std::size_t size = mappedSize(bytes == 0 ? 1 : bytes);
  if (size == 0) return nullptr;
  void* mapped =
      mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~std::uintptr_t{kHugePage - 1};
  if (aligned > start) munmap(mapped, aligned - start);
  if (const std::size_t tail = kHugePage - (aligned - start); tail > 0) {
    munmap(reinterpret_cast<void*>(aligned + size), tail);
  }
  void* region = reinterpret_cast<void*>(aligned);
#if ORRERY_FAULT_INJECTION
  faults::countBulkRegion(1);
#endif
#ifdef MADV_HUGEPAGE
  // Advice only: a kernel that refuses it hands out plain pages.
  madvise(region, size, MADV_HUGEPAGE);
#endif
  return region;
}

void freeBulk(void* region, std::size_t bytes) noexcept {
  if (region == nullptr) return;
#if ORRERY_FAULT_INJECTION
  faults::countBulkRegion(-1);
#endif
  munmap(region, mappedSize(bytes == 0 ? 1 : bytes));
}

}  // namespace orrery::platform
