#pragma once
// Test builds only (ORRERY_FAULT_INJECTION): a counter that makes one chosen allocation
// fail, consulted by allocateBlock here and by the operator new that a test program
// installs, and an observer of freeBlock. The shipped library is built without it.
#include <cstdint>

namespace orrery::platform::faults {

// Starts counting allocations from zero; the n-th one from now fails (n counts from 1),
// and with `andAllLater` every one after it too, as when memory is exhausted for good.
// 0 disarms: every allocation succeeds, and counting goes on.
void failAllocation(std::uint64_t n, bool andAllLater = false) noexcept;

// Counts one allocation; true when it is the armed one, which must then fail.
bool allocationFails() noexcept;

// Allocations counted since the last failAllocation call.
std::uint64_t allocationsCounted() noexcept;

// True when the armed allocation has been reached (and failed) since it was armed.
bool failureHappened() noexcept;

// Bulk regions (allocateBulk) not yet returned, so that a test sees a leaked one as it
// sees a leak of operator new; changed by the bulk functions alone.
void countBulkRegion(int change) noexcept;
std::int64_t liveBulkRegions() noexcept;

// Called by freeBlock for every non-null block before it is freed. A hook that returns
// true has taken the block over, and freeBlock leaves it alone. Null removes the hook.
using FreeHook = bool (*)(void* block);
void setFreeHook(FreeHook hook) noexcept;
bool freeHookTookBlock(void* block) noexcept;

}  // namespace orrery::platform::faults
