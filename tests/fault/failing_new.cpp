// Replaces every form of the global operator new and delete in this program only.
#include "fault/failing_new.h"

#include <cstddef>
#include <cstdlib>
#include <new>

#include "platform/fault_injection.h"

namespace orrery::test {
namespace {

std::int64_t gLive = 0;
bool gForeign = false;

struct ForeignFailure {};  // deliberately not a std::exception

void* allocate(std::size_t size, std::size_t alignment, bool nothrow) {
  if (platform::faults::allocationFails()) {
    if (nothrow) return nullptr;
    if (gForeign) throw ForeignFailure{};
    throw std::bad_alloc();
  }
  if (size == 0) size = 1;
  void* p = nullptr;
  if (alignment <= alignof(std::max_align_t)) {
    p = std::malloc(size);
  } else {
    p = std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
  }
  if (p == nullptr) {
    if (nothrow) return nullptr;
    throw std::bad_alloc();
  }
  ++gLive;
  return p;
}

void release(void* p) noexcept {
  if (p == nullptr) return;
  --gLive;
  std::free(p);
}

constexpr std::size_t kPlain = 0;

}  // namespace

std::int64_t liveAllocations() { return gLive + platform::faults::liveBulkRegions(); }
void throwForeignExceptions(bool foreign) { gForeign = foreign; }

}  // namespace orrery::test

using orrery::test::allocate;
using orrery::test::kPlain;
using orrery::test::release;

void* operator new(std::size_t n) { return allocate(n, kPlain, false); }
void* operator new[](std::size_t n) { return allocate(n, kPlain, false); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  return allocate(n, kPlain, true);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
  return allocate(n, kPlain, true);
}
void* operator new(std::size_t n, std::align_val_t a) {
  return allocate(n, static_cast<std::size_t>(a), false);
}
void* operator new[](std::size_t n, std::align_val_t a) {
  return allocate(n, static_cast<std::size_t>(a), false);
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  return allocate(n, static_cast<std::size_t>(a), true);
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  return allocate(n, static_cast<std::size_t>(a), true);
}

void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }
