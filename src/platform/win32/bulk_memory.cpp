#include "platform/bulk_memory.h"

#include <windows.h>

#if ORRERY_FAULT_INJECTION
#include "platform/fault_injection.h"
#endif

namespace orrery::platform {

// Plain pages: large pages on Windows need a privilege that hosts do not hold.
void* allocateBulk(std::size_t bytes) noexcept {
#if ORRERY_FAULT_INJECTION
  if (faults::allocationFails()) return nullptr;
#endif
  void* region =
      VirtualAlloc(nullptr, bytes == 0 ? 1 : bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
#if ORRERY_FAULT_INJECTION
  if (region != nullptr) faults::countBulkRegion(1);
#endif
  return region;
}

void freeBulk(void* region, std::size_t) noexcept {
  if (region == nullptr) return;
#if ORRERY_FAULT_INJECTION
  faults::countBulkRegion(-1);
#endif
  VirtualFree(region, 0, MEM_RELEASE);
}

}  // namespace orrery::platform
