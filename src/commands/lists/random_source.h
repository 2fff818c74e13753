#pragma once
// The module's only source of randomness: the MT19937 recurrence and tempering over a
// buffer of two 624-word halves. Each refill writes one half from the other, so the
// recurrence runs over fixed index ranges with no wrap-around. The output is the
// standard MT19937 stream of the state that seeding leaves in the first half.
#include <cstddef>
#include <cstdint>

namespace orrery {

class RandomSource {
 public:
  static constexpr std::uint32_t kDefaultSeed = 4357;

  RandomSource() { seed(kDefaultSeed); }

  // Fills the first half with s × 69069^(i+1) and leaves the second half to the next
  // draw. Any value is accepted; 0 gives an all-zero state that draws only zeros.
  void seed(std::uint32_t s);

  // The next 32-bit value; advances the generator.
  std::uint32_t draw() {
    if (index_ == kHalf) {
      refillSecondHalf();
    } else if (index_ >= kWords) {
      refillFirstHalf();
    }
    std::uint32_t z = words_[index_++];
    z ^= z >> 11;
    z ^= (z << 7) & 0x9D2C5680u;
    z ^= (z << 15) & 0xEFC60000u;
    z ^= z >> 18;
    return z;
  }

  // A position below `bound` (at least 1): draw() mod bound, the uneven tail kept.
  std::size_t drawBelow(std::size_t bound) {
    const std::uint32_t x = draw();
    // A bound beyond 32 bits exceeds every draw; the shifts keep 32-bit size_t quiet.
    if ((bound >> 16 >> 16) != 0) return x;
    return x % static_cast<std::uint32_t>(bound);
  }

 private:
  static constexpr int kHalf = 624;
  static constexpr int kWords = 2 * kHalf;

  void refillSecondHalf();
  void refillFirstHalf();

  std::uint32_t words_[kWords];
  // Next word to temper and return, 0 to 1248; 624 and 1248 call for a refill.
  std::int32_t index_ = kHalf;
};

// The permutation loop of both shuffling commands: for k = 1 … length − 1, swaps
// positions k and drawBelow(k). The partner always lies before k, so the order produced
// is one cycle through all positions. Draws length − 1 values (none for 0 or 1).
//
// The draws do not depend on the elements, so each partner is drawn kAhead steps early
// and handed to `touch` first: a large sequence can start fetching it while the earlier
// swaps run. The draws and swaps are the same, in the same order.
template <typename SwapPositions, typename Touch>
void permute(RandomSource& source, std::size_t length, SwapPositions&& swapPositions,
             Touch&& touch) {
  constexpr std::size_t kAhead = 8;
  std::size_t partners[kAhead];
  std::size_t drawn = 1;  // next k whose partner is drawn
  auto drawNext = [&] {
    const std::size_t r = source.drawBelow(drawn);
    touch(r);
    partners[drawn % kAhead] = r;
    ++drawn;
  };
  while (drawn < length && drawn <= kAhead) drawNext();
  for (std::size_t k = 1; k < length; ++k) {
    const std::size_t r = partners[k % kAhead];
    if (drawn < length) drawNext();
    swapPositions(k, r);
  }
}

template <typename SwapPositions>
void permute(RandomSource& source, std::size_t length, SwapPositions&& swapPositions) {
  for (std::size_t k = 1; k < length; ++k) swapPositions(k, source.drawBelow(k));
}

}  // namespace orrery
