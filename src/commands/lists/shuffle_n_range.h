#pragma once
// The range rules of shuffle_n as one pure function: the command refuses by it and
// orrery-call explains a refusal by it.
#include <algorithm>
#include <cstdint>
#include <optional>

namespace orrery {

// Most values one answer carries; a larger count is refused before anything is drawn.
// The range itself may be as long as 32-bit numbers allow: it is never held.
inline constexpr std::int64_t kShuffleNMaxCount = std::int64_t{1} << 24;

enum class ShuffleNRefusal { kNone, kEndBelowStart, kStepBelowOne, kNegativeCount, kTooMany };

struct ShuffleNDraw {
  std::int64_t length = 0;  // values in the range
  std::int64_t count = 0;   // values drawn
  ShuffleNRefusal refusal = ShuffleNRefusal::kNone;
};

// The draw for the converted arguments (64-bit: the difference of two 32-bit values,
// and the value after the last one, may leave the 32-bit range); no `count` means all.
constexpr ShuffleNDraw shuffleNDraw(std::int64_t end, std::int64_t start, std::int64_t step,
                                    std::optional<std::int64_t> count) {
  ShuffleNDraw draw;
  if (end < start) return draw.refusal = ShuffleNRefusal::kEndBelowStart, draw;
  if (step < 1) return draw.refusal = ShuffleNRefusal::kStepBelowOne, draw;
  const std::int64_t limit = (end - start) / step;
  // One value more than limit when step does not divide end − start; at most 2^32 − 1.
  draw.length = (end - start + step - 1) / step;
  draw.count = count.value_or(limit);
  if (draw.count < 0) return draw.refusal = ShuffleNRefusal::kNegativeCount, draw;
  draw.count = std::min(draw.count, limit);
  if (draw.count > kShuffleNMaxCount) draw.refusal = ShuffleNRefusal::kTooMany;
  return draw;
}

}  // namespace orrery
