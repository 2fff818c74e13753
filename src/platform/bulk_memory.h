#pragma once
// Bulk memory: the module's own large buffers, which never cross to the host. On a
// first large request most of the time goes to page faults, one per 4 KiB page touched
// for the first time, so bulk memory is asked for in the largest pages the system hands
// out without privileges: transparent huge pages of 2 MiB on Linux, where the kernel
// allows them, and plain pages elsewhere.
#include <cstddef>

namespace orrery::platform {

// The smallest buffer worth bulk memory.
// - POSIX: 128 KiB, the size from which the C library itself maps fresh pages for a
//   block on a first request. One huge page's zero-fill costs what some 15-70 plain
//   faults cost on the virtual machines measured, where a fault is dear; on bare metal,
//   by common figures, what some 200 cost, so there a request of a few thousand items
//   may pay up to about 0.1 ms more. Measured here, it also leaves the heap to the
//   module's other blocks: later requests of 10^4 items went from about 150 faults to 1.
// - Windows: 1 MiB. Its pages are plain, and from about there the heap itself takes
//   blocks from VirtualAlloc; a smaller buffer keeps the heap's warm pages.
#ifdef _WIN32
inline constexpr std::size_t kBulkFrom = std::size_t{1} << 20;
#else
inline constexpr std::size_t kBulkFrom = std::size_t{128} << 10;
#endif

// A region of at least `bytes` bytes; null when memory is exhausted.
void* allocateBulk(std::size_t bytes) noexcept;
// Returns a region from allocateBulk of the same `bytes`; accepts null.
void freeBulk(void* region, std::size_t bytes) noexcept;

}  // namespace orrery::platform
