#pragma once
// A hint to fetch memory that a loop will soon read at random; nothing where the
// compiler offers no such hint.
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace orrery {

inline void prefetchForRead(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p, 0);
#elif defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
  _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0);
#else
  (void)p;
#endif
}

inline void prefetchForWrite(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p, 1);
#else
  prefetchForRead(p);
#endif
}

}  // namespace orrery
