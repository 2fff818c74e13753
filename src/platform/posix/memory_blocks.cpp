#include <cstdlib>

#include "platform/platform.h"

namespace orrery::platform {

// POSIX hosts of this protocol exchange plain malloc blocks: the module frees what it
// receives and the host frees what it gets back.
void* allocateBlock(std::size_t bytes) noexcept { return std::malloc(bytes == 0 ? 1 : bytes); }

void freeBlock(void* block) noexcept { std::free(block); }

}  // namespace orrery::platform
