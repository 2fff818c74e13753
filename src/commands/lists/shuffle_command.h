#pragma once
#include <cstdint>

#include "commands/framework/request_entry.h"
#include "commands/lists/random_source.h"

namespace orrery {

// "shuffle": the items of Argument1 in a random single-cycle order, as Values.
class ShuffleCommand : public IRequestEntry {
 public:
  // Seeded with the default seed.
  ShuffleCommand() = default;
  // Seeded with the default seed, then re-seeded with `seed` (the module passes the
  // tick count; tests pass a fixed value).
  explicit ShuffleCommand(std::uint32_t seed) { source_.seed(seed); }

  bool execute(SaoriRequest& record) override;
  std::uint32_t listArgumentCount() const override { return 1; }

 private:
  RandomSource source_;
};

}  // namespace orrery
