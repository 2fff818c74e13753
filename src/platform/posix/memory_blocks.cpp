#include <cstdlib>

#include "platform/platform.h"
#if ORRERY_FAULT_INJECTION
#include "platform/fault_injection.h"
#endif

namespace orrery::platform {

// POSIX hosts of this protocol exchange plain malloc blocks: the module frees what it
// receives and the host frees what it gets back.
void* allocateBlock(std::size_t bytes) noexcept {
#if ORRERY_FAULT_INJECTION
  if (faults::allocationFails()) return nullptr;
#endif
  return std::malloc(bytes == 0 ? 1 : bytes);
}

void* resizeBlock(void* block, std::size_t bytes) noexcept {
#if ORRERY_FAULT_INJECTION
  if (faults::allocationFails()) return nullptr;
#endif
  return std::realloc(block, bytes == 0 ? 1 : bytes);
}

void freeBlock(void* block) noexcept {
#if ORRERY_FAULT_INJECTION
  if (block != nullptr && faults::freeHookTookBlock(block)) return;
#endif
  std::free(block);
}

}  // namespace orrery::platform
