#pragma once
// Searching and copying code units in the request and response texts, tuned for the
// two shapes they come in: long runs (list arguments) and many short pieces (header
// names, values of a few units).
#include <cstdint>
#include <cstring>

#include "protocol/text.h"

namespace orrery {

// The top bit of each 16-bit lane of `word` that is 0, and no other bit: adding 0x7FFF
// to a lane's lower fifteen bits carries into its top bit unless they are 0, and never
// out of the lane. Exact, unlike the borrow trick of findUnit, so lanes can be told
// apart by where their bits lie.
inline std::uint64_t zeroLanes(std::uint64_t word) {
  constexpr std::uint64_t kLow = 0x7FFF7FFF7FFF7FFFu;
  return ~(((word & kLow) + kLow) | word) & ~kLow;
}

// Position of the first `unit` in `text` at or after `from`, or npos. Four code units
// are tested at once: a lane of the word equals `unit` exactly when it becomes zero,
// and the borrow trick below finds whether any lane is zero without false alarms.
inline std::size_t findUnit(TextView text, char16_t unit, std::size_t from = 0) {
  constexpr std::uint64_t kOnes = 0x0001000100010001u;
  constexpr std::uint64_t kHighBits = 0x8000800080008000u;
  const std::uint64_t pattern = kOnes * unit;
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = from;
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
