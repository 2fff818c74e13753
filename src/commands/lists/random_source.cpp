#include "commands/lists/random_source.h"

namespace orrery {
namespace {

constexpr std::uint32_t kMultiplier = 69069;
constexpr std::uint32_t kMatrix = 0x9908B0DFu;
constexpr std::uint32_t kUpperMask = 0x80000000u;
constexpr std::uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr int kMiddle = 397;

// One step of the recurrence: u is the older word, v the one after it, w the word
// kMiddle places after u.
inline std::uint32_t twist(std::uint32_t u, std::uint32_t v, std::uint32_t w) {
  const std::uint32_t y = (u & kUpperMask) | (v & kLowerMask);
  return w ^ (y >> 1) ^ ((y & 1u) != 0 ? kMatrix : 0u);
}

}  // namespace

void RandomSource::seed(std::uint32_t s) {
  std::uint32_t x = s;
  for (int i = 0; i < kHalf; ++i) {
    x *= kMultiplier;
    words_[i] = x;
  }
  index_ = kHalf;
}

void RandomSource::refillSecondHalf() {
  // For k = 623, v is words_[624], written first in this pass; from k = 227 on, w is a
  // second-half word written earlier in this pass.
  for (int k = 0; k < kHalf; ++k) {
    words_[kHalf + k] = twist(words_[k], words_[k + 1], words_[k + kMiddle]);
  }
  // index_ stays at 624: the next draws read the second half.
}

void RandomSource::refillFirstHalf() {
  constexpr int kSplit = kHalf - kMiddle;  // 227
  for (int k = 0; k < kSplit; ++k) {
    words_[k] = twist(words_[kHalf + k], words_[kHalf + k + 1], words_[kHalf + kMiddle + k]);
  }
  for (int k = 0; k < kMiddle - 1; ++k) {
    words_[kSplit + k] =
        twist(words_[kHalf + kSplit + k], words_[kHalf + kSplit + k + 1], words_[k]);
  }
  words_[kHalf - 1] = twist(words_[kWords - 1], words_[0], words_[kMiddle - 1]);
  index_ = 0;
}

}  // namespace orrery
