#pragma once
#include <cstdint>

#include "commands/framework/request_entry.h"
#include "commands/lists/random_source.h"
#include "commands/lists/shuffle_n_range.h"

namespace orrery {

// "shuffle_n": a fair draw of distinct numbers from the range start, start + step, …
// below end, in random order. Arguments: end, start (0), step (1), count (all),
// options ("s": one joined Result instead of Values).
class ShuffleNCommand : public IRequestEntry {
 public:
  static constexpr std::int64_t kMaxCount = kShuffleNMaxCount;

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
