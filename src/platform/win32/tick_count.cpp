#include <windows.h>

#include "platform/platform.h"

namespace orrery::platform {

std::uint32_t tickCount() noexcept { return static_cast<std::uint32_t>(GetTickCount()); }

}  // namespace orrery::platform
