#include <windows.h>

#include "platform/platform.h"
#if ORRERY_FAULT_INJECTION
#include "platform/fault_injection.h"
#endif

namespace orrery::platform {

// GMEM_FIXED: the handle is the pointer to the bytes, which is what hosts expect.
void* allocateBlock(std::size_t bytes) noexcept {
#if ORRERY_FAULT_INJECTION
  if (faults::allocationFails()) return nullptr;
#endif
  return GlobalAlloc(GMEM_FIXED, bytes == 0 ? 1 : bytes);
}

// GMEM_MOVEABLE lets a fixed block move when it cannot grow where it is; it stays fixed.
void* resizeBlock(void* block, std::size_t bytes) noexcept {
#if ORRERY_FAULT_INJECTION
  if (faults::allocationFails()) return nullptr;
#endif
  return GlobalReAlloc(static_cast<HGLOBAL>(block), bytes == 0 ? 1 : bytes, GMEM_MOVEABLE);
}

void freeBlock(void* block) noexcept {
  if (block == nullptr) return;
#if ORRERY_FAULT_INJECTION
  if (faults::freeHookTookBlock(block)) return;
#endif
  GlobalFree(static_cast<HGLOBAL>(block));
}

}  // namespace orrery::platform
