#include "platform/fault_injection.h"

namespace orrery::platform::faults {
namespace {

// Calls into the module are one at a time, so plain variables suffice.
std::uint64_t gCounted = 0;
std::uint64_t gFailAt = 0;
bool gAllLater = false;
bool gFailed = false;
FreeHook gFreeHook = nullptr;
std::int64_t gBulkRegions = 0;

}  // namespace

void failAllocation(std::uint64_t n, bool andAllLater) noexcept {
  gCounted = 0;
  gFailAt = n;
  gAllLater = andAllLater;
  gFailed = false;
}

bool allocationFails() noexcept {
  ++gCounted;
  if (gFailAt == 0 || gCounted < gFailAt || (gCounted > gFailAt && !gAllLater)) return false;
  gFailed = true;
  return true;
}

std::uint64_t allocationsCounted() noexcept { return gCounted; }

bool failureHappened() noexcept { return gFailed; }

void countBulkRegion(int change) noexcept { gBulkRegions += change; }

std::int64_t liveBulkRegions() noexcept { return gBulkRegions; }

void setFreeHook(FreeHook hook) noexcept { gFreeHook = hook; }

bool freeHookTookBlock(void* block) noexcept { return gFreeHook != nullptr && gFreeHook(block); }

}  // namespace orrery::platform::faults
