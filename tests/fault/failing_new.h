#pragma once
// The operator new of the fault test program: every allocation consults the platform
// layer's fault counter, and live allocations are counted so that a test sees leaks.
#include <cstdint>

namespace orrery::test {

// Allocations made through operator new, and bulk regions, not yet given back.
std::int64_t liveAllocations();

// When set, the armed allocation throws an exception that is no std::exception at all,
// so that only a catch (...) stops it; otherwise it throws std::bad_alloc. A nothrow
// new returns null either way.
void throwForeignExceptions(bool foreign);

}  // namespace orrery::test
