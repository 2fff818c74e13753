#pragma once
// Helpers for the shuffling tests, among them an independent oracle: the standard
// library's MT19937, loaded through its stream operator with the state the module's
// seeding rule produces, and the permutation loop written out over a plain vector.
#include <cstdint>
#include <random>
#include <sstream>
#include <utility>
#include <vector>

#include "protocol/text.h"

namespace orrery::test {

// Test texts write the list separator as '|', which no test item contains.
inline Text withSeparators(std::u16string_view text) {
  Text out(text);
  for (char16_t& c : out) {
    if (c == u'|') c = kListSeparator;
  }
  return out;
}

// The 624 words s × 69069^(i+1) mod 2^32, then the position that makes the next call
// regenerate the whole state (read by libstdc++, ignored by readers that stop at 624).
inline std::mt19937 referenceEngine(std::uint32_t seed) {
  std::ostringstream state;
  std::uint32_t x = seed;
  for (int i = 0; i < 624; ++i) {
    x = static_cast<std::uint32_t>(x * 69069u);
    state << x << ' ';
  }
  state << 624;
  std::istringstream in(state.str());
  std::mt19937 engine;
  in >> engine;
  return engine;
}

template <typename T>
void referencePermute(std::mt19937& engine, std::vector<T>& items) {
  for (std::size_t k = 1; k < items.size(); ++k) {
    const std::size_t r = static_cast<std::uint32_t>(engine()) % k;
    std::swap(items[k], items[r]);
  }
}

}  // namespace orrery::test
