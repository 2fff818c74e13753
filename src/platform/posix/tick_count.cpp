#include <time.h>

#include "platform/platform.h"

namespace orrery::platform {

std::uint32_t tickCount() noexcept {
  timespec ts{};
#ifdef CLOCK_BOOTTIME
  if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0)
#endif
    clock_gettime(CLOCK_MONOTONIC, &ts);
  const auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                  static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}

}  // namespace orrery::platform
