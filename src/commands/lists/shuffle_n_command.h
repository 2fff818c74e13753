#pragma once
#include <cstdint>

#include "commands/framework/request_entry.h"
#include "commands/lists/random_source.h"

namespace orrery {

// "shuffle_n": a fair draw of distinct numbers from the range start, start + step, …
// below end, in random order. Arguments: end, start (0), step (1), count (all),
// options ("s": one joined Result instead of Values).
class ShuffleNCommand : public IRequestEntry {
 public:
  // Most values one answer carries; a larger count is refused before anything is drawn.
  // The range itself may be as long as 32-bit numbers allow: it is never held.
  static constexpr std::int64_t kMaxCount = std::int64_t{1} << 24;

  // Seeded with the default seed.
  ShuffleNCommand() = default;
  // Seeded with the default seed, then re-seeded with `seed`.
  explicit ShuffleNCommand(std::uint32_t seed) { source_.seed(seed); }

  bool execute(SaoriRequest& record) override;
  std::uint32_t listArgumentCount() const override { return 1; }

 private:
  RandomSource source_;
};

}  // namespace orrery
