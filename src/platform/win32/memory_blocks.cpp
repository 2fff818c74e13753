#include <windows.h>

#include "platform/platform.h"

namespace orrery::platform {

// GMEM_FIXED: the handle is the pointer to the bytes, which is what hosts expect.
void* allocateBlock(std::size_t bytes) noexcept {
  return GlobalAlloc(GMEM_FIXED, bytes == 0 ? 1 : bytes);
}

void freeBlock(void* block) noexcept {
  if (block != nullptr) GlobalFree(static_cast<HGLOBAL>(block));
}

}  // namespace orrery::platform
