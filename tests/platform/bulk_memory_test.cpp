#include "platform/bulk_memory.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace orrery::platform {
namespace {

// Sizes below and past a huge page: every byte asked for is usable, the region starts
// on a huge page (the kernel gives none to an unaligned 2 MiB), and it goes back whole.
TEST(BulkMemory, RegionsAreAlignedAndGoneOnceReturned) {
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  for (const std::size_t bytes : {std::size_t{1}, kHugePage - 1, 3 * kHugePage + 5}) {
    SCOPED_TRACE(bytes);
    auto* region = static_cast<unsigned char*>(allocateBulk(bytes));
    ASSERT_NE(region, nullptr);
    std::memset(region, 0xA5, bytes);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(region) % kHugePage, 0u);
    freeBulk(region, bytes);
    int stillMapped = 0;
    for (std::size_t at = 0; at < (bytes + kHugePage - 1) / kHugePage * kHugePage; at += page) {
      unsigned char resident = 0;
      if (mincore(region + at, 1, &resident) == 0 || errno != ENOMEM) ++stillMapped;
    }
    EXPECT_EQ(stillMapped, 0);
  }
}

}  // namespace
}  // namespace orrery::platform
#endif
