#pragma once
// Bulk memory: the module's own large buffers, which never cross to the host. On a
// first large request most of the time goes to page faults, one per 4 KiB page touched
// for the first time, so bulk memory is asked for in the largest pages the system hands
// out without privileges: transparent huge pages of 2 MiB on Linux, where the kernel
// allows them, and plain pages elsewhere.
#include <cstddef>

namespace orrery::platform {

// A region of at least `bytes` bytes; null when memory is exhausted.
void* allocateBulk(std::size_t bytes) noexcept;
// Returns a region from allocateBulk of the same `bytes`; accepts null.
void freeBulk(void* region, std::size_t bytes) noexcept;

}  // namespace orrery::platform
