#pragma once
// Searching and copying code units in the request and response texts, tuned for the
// two shapes they come in: long runs (list arguments) and many short pieces (header
// names, values of a few units).
#include <bit>
#include <cstdint>
#include <cstring>

#include "protocol/text.h"

// x86 machines from SSE2 on (every 64-bit one) compare eight code units at once.
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define ORRERY_SSE2 1
#endif

namespace orrery {

#ifdef ORRERY_SSE2
// The eight code units at `p` that equal the unit in every lane of `pattern`: bit 2k
// stands for unit k, and no other bit is set.
inline unsigned equalUnits(const char16_t* p, __m128i pattern) {
  const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(units, pattern))) & 0x5555u;
}
#endif

// The top bit of each 16-bit lane of `word` that is 0, and no other bit: adding 0x7FFF
// to a lane's lower fifteen bits carries into its top bit unless they are 0, and never
// out of the lane. Exact, unlike the borrow trick of findUnit, so lanes can be told
// apart by where their bits lie.
inline std::uint64_t zeroLanes(std::uint64_t word) {
  constexpr std::uint64_t kLow = 0x7FFF7FFF7FFF7FFFu;
  return ~(((word & kLow) + kLow) | word) & ~kLow;
}

// Position of the first `unit` in `text` at or after `from`, or npos. Eight code units
// are compared at once where SSE2 allows, four otherwise: a lane of the word equals
// `unit` exactly when it becomes zero, and the borrow trick below finds whether any lane
// is zero without false alarms.
inline std::size_t findUnit(TextView text, char16_t unit, std::size_t from = 0) {
  constexpr std::uint64_t kOnes = 0x0001000100010001u;
  constexpr std::uint64_t kHighBits = 0x8000800080008000u;
  const std::uint64_t pattern = kOnes * unit;
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = from;
#ifdef ORRERY_SSE2
  const __m128i units = _mm_set1_epi16(static_cast<short>(unit));
  for (; i + 8 <= n; i += 8) {
    const unsigned bits = equalUnits(p + i, units);
    if (bits != 0) return i + static_cast<std::size_t>(std::countr_zero(bits) / 2);
  }
#endif
  for (; i + 4 <= n; i += 4) {
    std::uint64_t word;
    std::memcpy(&word, p + i, sizeof(word));
    const std::uint64_t x = word ^ pattern;
    if (((x - kOnes) & ~x & kHighBits) != 0) break;
  }
  for (; i < n; ++i) {
    if (p[i] == unit) return i;
  }
  return TextView::npos;
}

// The number of code units in `text` equal to `unit`.
inline std::size_t countUnit(TextView text, char16_t unit) {
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  std::size_t count = 0;
  std::size_t i = 0;
#ifdef ORRERY_SSE2
  // Each lane counts its matches (a match compares as -1, taken away). The lanes are
  // added up as signed numbers every 2^14 steps, before any can pass 2^15 - 1.
  constexpr std::size_t kStretch = std::size_t{8} << 14;
  const __m128i pattern = _mm_set1_epi16(static_cast<short>(unit));
  const __m128i ones = _mm_set1_epi16(1);
  while (n - i >= 8) {
    const std::size_t stop = n - i >= kStretch ? i + kStretch : n - 7;
    __m128i lanes = _mm_setzero_si128();
    for (; i < stop; i += 8) {
      const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      lanes = _mm_sub_epi16(lanes, _mm_cmpeq_epi16(units, pattern));
    }
    // Pairs of lanes summed as 32-bit numbers, whose four lanes are then added.
    std::uint32_t sums[4];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums), _mm_madd_epi16(lanes, ones));
    count += std::size_t{sums[0]} + sums[1] + sums[2] + sums[3];
  }
#endif
  for (; i < n; ++i) count += p[i] == unit ? 1 : 0;
  return count;
}

// True when `text` begins with `prefix`, compared code unit by code unit. Only
// equality is asked, so the bytes can be compared at once.
inline bool startsWith(TextView text, TextView prefix) {
  if (prefix.empty()) return true;  // an empty view may have no data to compare
  return text.size() >= prefix.size() &&
         std::memcmp(text.data(), prefix.data(), prefix.size() * sizeof(char16_t)) == 0;
}

inline bool sameUnits(TextView a, TextView b) { return a.size() == b.size() && startsWith(a, b); }

// Copies `piece` to `out` and returns the end. Short pieces are copied by two
// overlapping fixed-size moves instead of a library call.
inline char16_t* putUnits(char16_t* out, TextView piece) {
  const std::size_t n = piece.size();
  const char16_t* s = piece.data();
  if (n > 16) {
    std::memcpy(out, s, n * sizeof(char16_t));
  } else if (n >= 8) {
    std::memcpy(out, s, 16);
    std::memcpy(out + n - 8, s + n - 8, 16);
  } else if (n >= 4) {
    std::memcpy(out, s, 8);
    std::memcpy(out + n - 4, s + n - 4, 8);
  } else if (n >= 2) {
    std::memcpy(out, s, 4);
    std::memcpy(out + n - 2, s + n - 2, 4);
  } else if (n == 1) {
    *out = *s;
  }
  return out + n;
}

}  // namespace orrery
