#pragma once
// The key of text order: a short prefix of a text kept beside its record, so that most
// comparisons never read the texts themselves.
#include <bit>
#include <cstdint>
#include <cstring>

#include "protocol/text.h"

namespace orrery {

// The first three code units of a text (zero padded) and the length of the text, up to
// kLongText: 8 bytes in two halves, so that a text record needs only 4-byte alignment
// and is 12 bytes, where a fourth code unit would make it 16. The records are most of
// a large sort's memory.
struct TextPrefix {
  static constexpr std::uint32_t kUnits = 3;
  static constexpr std::uint32_t kLongText = 0xFFFF;  // this long or longer
  std::uint32_t low;                                  // unit 2, then the length
  std::uint32_t high;                                 // units 0 and 1

  // Both halves as one number: on little-endian machines a single load.
  std::uint64_t word() const {
    if constexpr (std::endian::native == std::endian::little) {
      std::uint64_t w;
      std::memcpy(&w, this, sizeof(w));
      return w;
    } else {
      return std::uint64_t{high} << 32 | low;
    }
  }
  std::uint64_t units() const { return word() >> 16; }
  std::uint32_t length() const { return low & kLongText; }
};
// The length of the first part of the item at `offset`: up to its first PairSeparator
// or ListSeparator, or the end of the list.
std::uint32_t firstPartLength(TextView list, std::size_t offset);

// Orders two first parts whose prefixes are equal and at least TextPrefix::kUnits long,
// each given as the rest of its list from the item's start and its prefix length
// (TextPrefix::length()). Returns <0, 0 or >0. Out of line: the comparison of prefixes
// around it then stays small enough to be inlined.
int compareAfterPrefix(TextView a, std::uint32_t lengthA, TextView b, std::uint32_t lengthB);

}  // namespace orrery
