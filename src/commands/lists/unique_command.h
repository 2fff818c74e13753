#pragma once
#include "commands/framework/request_entry.h"

namespace orrery {

// "unique": keeps the first item of each key (first part) of Argument1 and answers them
// in key order; Argument2 holds the option letters.
class UniqueCommand : public IRequestEntry {
 public:
  bool execute(SaoriRequest& record) override;
  std::uint32_t listArgumentCount() const override { return 1; }
};

}  // namespace orrery
