#pragma once
#include "commands/framework/request_entry.h"

namespace orrery {

// "make_pair": joins the i-th items of Argument1 and Argument2 with a PairSeparator;
// Argument3 holds the option letters. Lists of different lengths answer 400.
class MakePairCommand : public IRequestEntry {
 public:
  bool execute(SaoriRequest& record) override;
  std::uint32_t listArgumentCount() const override { return 2; }
};

}  // namespace orrery
